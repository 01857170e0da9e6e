#include "Installation.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <stdexcept>

namespace envio::test {

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(content);
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

} // namespace

Installation::Installation(TestDatabase::Route route)
    : route_(route), dir_(std::make_unique<QTemporaryDir>(QDir::tempPath() + "/envio-ui-XXXXXX")) {
    if (!dir_->isValid())
        throw std::runtime_error("cannot create a temporary directory");
    QFile::setPermissions(dir_->path(), QFile::permissions(dir_->path()) | QFile::ReadOther |
                                            QFile::ExeOther | QFile::WriteOther);
    general_ = std::make_unique<TestDatabase>(std::vector<std::string>{"general.sql"}, route_,
                                              "datos/general.fdb", directory());
    general_->run("INSERT INTO USUARIO (USUA_COD, USUA_NOMBRE) VALUES ('SYSDBA', 'Administrador')");

    writeFile(dir_->path() + "/SERVIDORES.cfg", QByteArray::fromStdString(server()) + "\r\n");
    settings_.storeDirectory(dir_->path());
}

Installation::~Installation() {
    companies_.clear();
    general_.reset();
}

std::string Installation::directory() const {
    return dir_->path().toStdString();
}

std::string Installation::server() const {
    return route_ == TestDatabase::Route::Server ? "localhost:" + directory() : directory();
}

TestDatabase& Installation::company(const std::string& code) {
    auto& slot = companies_[code];
    if (!slot)
        slot = std::make_unique<TestDatabase>(std::vector<std::string>{"company.sql"}, route_,
                                              "datos/" + code + "/vertano.fdb", directory());
    return *slot;
}

void Installation::listCompany(const std::string& code, const std::string& name) {
    general_->run("INSERT INTO COMPANIA (COMP_COD, COM_NOMBRE) VALUES (" + quoted(code) + ", " +
                  quoted(name) + ")");
}

void Installation::setReplicationCredentials(const std::string& origin) {
    company(origin).run("INSERT INTO CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, CONF_VALOR) "
                        "VALUES ('INVENTARIO', "
                        "'ARTICULOS', 'NOMBRE DE USUARIO PARA REPLICACION DE ARTICULOS', 'SYSDBA');\n"
                        "INSERT INTO CONFIGURACION (CONF_MODULO, CONF_CATEGORIA, CONF_PROPIEDAD, CONF_VALOR) "
                        "VALUES ('INVENTARIO', "
                        "'ARTICULOS', 'CLAVE DE USUARIO PARA REPLICACION DE ARTICULOS', " +
                        quoted(qEnvironmentVariable("ISC_PASSWORD").toStdString()) + ")");
}

void Installation::addDestination(const std::string& origin, int id, const std::string& name,
                                  const std::string& code) {
    company(origin).run(
        "INSERT INTO REPLICA_PRECIOS (RPPR_ID, RPPR_NOMBRE, RPPR_SERVIDOR, RPPR_COD) VALUES (" +
        std::to_string(id) + ", " + quoted(name) + ", " + quoted(server()) + ", " + quoted(code) + ")");
}

int Installation::addEvent(const std::string& origin, const std::string& destination, int type,
                           const std::string& letter, const std::string& code, std::optional<int> document,
                           const std::string& error) {
    ++events_;
    const std::string time = "'10:00:" + std::string(events_ < 10 ? "0" : "") + std::to_string(events_) + "'";
    company(origin).run("INSERT INTO REPLICA_EVENTOS (RPEV_COMPANIA, RPEV_TIPO, RPEV_IDDOC, RPEV_CODIGO, "
                        "RPEV_FECREG, RPEV_HORAREG, "
                        "RPEV_OPER, RPEV_ERROR) VALUES (" +
                        quoted(destination) + ", " + std::to_string(type) + ", " +
                        (document ? std::to_string(*document) : std::string("NULL")) + ", " + quoted(code) +
                        ", '2024-01-02', " + time + ", " + quoted(letter) + ", " +
                        (error.empty() ? std::string("NULL") : quoted(error)) + ")");
    return std::stoi(company(origin).scalar("SELECT MAX(RPEV_ID) FROM REPLICA_EVENTOS"));
}

std::vector<std::string> Installation::journal(const std::string& name) const {
    std::vector<std::string> lines;
    QFile f(dir_->path() + "/" + QString::fromStdString(name));
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            lines.push_back(line.trimmed().toStdString());
    return lines;
}

} // namespace envio::test
