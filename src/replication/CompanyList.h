#pragma once

#include <optional>
#include <string>
#include <vector>

namespace envio {

class StagedDataset;

// The company list of the general database (COMPANIA), from which the operator picks the origin company.
class CompanyList {
public:
    struct Company {
        std::string code; // COMP_COD
        std::string name; // COM_NOMBRE
    };

    explicit CompanyList(StagedDataset& companies) : companies_(companies) {}

    // Reads the list once; a list already open is not read again.
    void load();
    std::vector<Company> rows() const;
    // The name shown for a company key: empty when no company has that code (trailing blanks aside).
    std::string nameOf(const std::optional<std::string>& key) const;

private:
    StagedDataset& companies_;
};

} // namespace envio
