#pragma once

// A generated database of Type I bonds as the commands hold a file already
// read, made once a size and kept for the benchmark's whole run.

#include "cli/reading.h"
#include "examples/generated.h"
#include "model/bondfile.h"

#include <cstddef>
#include <map>
#include <memory>

namespace tenvix::bench {

inline const cli::DatabaseFile& GeneratedDatabaseFile(std::size_t bonds)
{
    static std::map<std::size_t, std::unique_ptr<cli::DatabaseFile>> files;
    auto& file = files[bonds];
    if (!file) {
        file = std::make_unique<cli::DatabaseFile>();
        file->bytes = GenerateDatabase(bonds, 1, GeneratedMix::TypeI);
        file->index = *IndexBondDatabase(file->Bytes(), cli::kUnitRecords);
    }
    return *file;
}

} // namespace tenvix::bench
