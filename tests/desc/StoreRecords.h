#pragma once

#include "desc/DescriptionStore.h"

#include <utility>
#include <vector>

namespace sorvik::test {

// A store's records in store order, as path and description, or with the key too.
using Records = std::vector<std::pair<u16, u16>>;

struct KeyedRecord {
    u16 key, path, coment;
    bool operator==(const KeyedRecord&) const = default;
};

inline Records recordsOf(const DescriptionStore& store)
{
    Records records;
    store.forEach([&](const clsComent& r) { records.emplace_back(r.Path, r.Coment); });
    return records;
}

inline std::vector<KeyedRecord> keyedRecordsOf(const DescriptionStore& store)
{
    std::vector<KeyedRecord> records;
    store.forEach([&](const clsComent& r) { records.push_back({r.Key, r.Path, r.Coment}); });
    return records;
}

}
