#include "replication/CompanyList.h"

#include "db/StagedDataset.h"

namespace envio {

namespace {

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::string text(const Value& v) {
    return v.isNull() ? std::string() : v.asString();
}

} // namespace

void CompanyList::load() {
    if (!companies_.isOpen())
        companies_.open();
}

std::vector<CompanyList::Company> CompanyList::rows() const {
    std::vector<Company> out;
    const Field* code = companies_.findField("COMP_COD");
    const Field* name = companies_.findField("COM_NOMBRE");
    if (!companies_.isOpen() || !code || !name)
        return out;
    for (int r = 0; r < companies_.recordCount(); ++r)
        out.push_back(
            {text(companies_.valueAt(r, code->index())), text(companies_.valueAt(r, name->index()))});
    return out;
}

std::string CompanyList::nameOf(const std::optional<std::string>& key) const {
    if (!key)
        return {};
    const std::string wanted = trimmed(*key);
    const Field* code = companies_.findField("COMP_COD");
    const Field* name = companies_.findField("COM_NOMBRE");
    if (!companies_.isOpen() || !code || !name)
        return {};
    for (int r = 0; r < companies_.recordCount(); ++r) {
        const Value& v = companies_.valueAt(r, code->index());
        if (!v.isNull() && v.kind() == Value::Kind::String && trimmed(v.asString()) == wanted)
            return text(companies_.valueAt(r, name->index()));
    }
    return {};
}

} // namespace envio
