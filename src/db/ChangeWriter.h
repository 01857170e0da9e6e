#pragma once

#include "db/ChangeLog.h"
#include "db/FieldLayout.h"
#include "db/Provider.h"

#include <string>
#include <vector>

namespace envio {

// Writes the changes of a staged dataset back to the table its rows were read from, in a transaction of the
// provider's connection (one is started unless one runs), telling the provider's update error handler of
// each change that fails.
class ChangeWriter {
public:
    ChangeWriter(Provider& provider, StagedDataset& dataset, const FieldLayout& fields)
        : provider_(provider), dataset_(dataset), fields_(fields) {}

    // `statement` is the one the rows were read with. Returns the number of changes that failed; the
    // transaction started here is committed only when none failed.
    int write(const std::string& statement, std::vector<Change>& changes, int maxErrors);

private:
    Provider& provider_;
    StagedDataset& dataset_;
    const FieldLayout& fields_;
};

} // namespace envio
