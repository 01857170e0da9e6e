#include "app/PasswordFile.h"

#include "db/Error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace envio {

namespace {

// Closes the descriptor and wipes what was read, whatever way the reading ends.
struct ReadState {
    int fd = -1;
    std::string buffer;
    ~ReadState() {
        if (fd >= 0)
            ::close(fd);
        std::memset(buffer.data(), 0, buffer.size());
    }
};

} // namespace

std::string readPasswordFile(const std::string& path) {
    ReadState s;
    s.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (s.fd < 0)
        throw Error("No se puede leer el archivo de la clave " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(s.fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw Error("El archivo de la clave " + path + " no es un archivo regular.");
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        throw Error("El archivo de la clave " + path +
                    " pueden leerlo otros usuarios; quite esos permisos (chmod 600).");
    char chunk[256];
    for (;;) {
        const ssize_t n = ::read(s.fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Error("No se puede leer el archivo de la clave " + path + ": " + std::strerror(errno));
        if (n == 0)
            break;
        s.buffer.append(chunk, static_cast<std::size_t>(n));
        std::memset(chunk, 0, sizeof chunk);
        if (s.buffer.find('\n') != std::string::npos)
            break;
    }
    std::size_t end = s.buffer.find_first_of("\r\n");
    if (end == std::string::npos)
        end = s.buffer.size();
    return s.buffer.substr(0, end);
}

std::string resolvePassword(const std::string& argument, const std::optional<std::string>& passwordFile) {
    if (argument != "-")
        return argument;
    if (passwordFile)
        return readPasswordFile(*passwordFile);
    if (const char* fromEnvironment = std::getenv("ENVIO_PASSWORD_FILE"); fromEnvironment && *fromEnvironment)
        return readPasswordFile(fromEnvironment);
    throw Error("La clave \"-\" se lee de un archivo: ind\xc3\xadquelo con --password-file o con "
                "ENVIO_PASSWORD_FILE.");
}

} // namespace envio
