# Sourced by the scripts: gives the tests the server's SYSDBA password without ever storing it here.
if [ -z "${ISC_PASSWORD:-}" ] && [ -r /etc/firebird/3.0/SYSDBA.password ]; then
  # shellcheck disable=SC1091
  . /etc/firebird/3.0/SYSDBA.password
fi
export ISC_USER="${ISC_USER:-SYSDBA}"
export ISC_PASSWORD="${ISC_PASSWORD:-}"
