#pragma once

#include <string>
#include <utility>
#include <vector>

namespace envio {

// The audit journal "TARNELO.TXT" and the error journal "errortarnelo.txt" in the installation directory.
// Each call appends one line: the regional short date, the regional long time, then the fields, separated by
// commas and ended by CR LF. Fields are code-page bytes and are written exactly as given (commas and line
// breaks included). A line that cannot be written is lost without a word: journaling never fails towards
// the caller.
void archivo_auditoria(const std::string& first, const std::string& second, const std::string& third);
void archivo_errores(const std::string& text);

// While alive, the journal lines of the thread that made it are held back, and written when it ends: all the
// lines of each journal together, so that no line another thread writes meanwhile comes between them.
class JournalBlock {
public:
    JournalBlock();
    ~JournalBlock();
    JournalBlock(const JournalBlock&) = delete;
    JournalBlock& operator=(const JournalBlock&) = delete;

    // Held lines: the journal's file name and the whole line.
    void hold(std::string file, std::string line);

private:
    std::vector<std::pair<std::string, std::string>> lines_;
    JournalBlock* previous_;
};

} // namespace envio
