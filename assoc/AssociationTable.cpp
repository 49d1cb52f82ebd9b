#include "assoc/AssociationTable.h"

#include "desc/FieldReader.h"
#include "platform/DataFileNames.h"
#include "platform/Paths.h"
#include "table/FilePattern.h"

namespace sorvik {

void AssociationTable::AssocTableLoad(const platform::FileSystem& fs, u16view dataDir)
{
    m_entries.clear();
    platform::Result<std::string> bytes = fs.readFile(AddBackslash(dataDir) + kAssociationFile);
    if (!bytes)
        return;
    loadText(platform::decodeCp932(*bytes));
}

void AssociationTable::loadText(u16view text)
{
    m_entries.clear();
    FieldReader reader(text);
    while (std::optional<u16> pattern = reader.next()) {
        AssociationEntry entry{std::move(*pattern), {}};
        // The program path is the rest of the line: a comma inside a path
        // must not cut it, nor shift every entry after it. A quoted path
        // loses its quotes as a field would.
        if (reader.lastEnd() == FieldReader::End::Comma) {
            const u16view rest = reader.restOfLine();
            FieldReader path(rest);
            const std::optional<u16view> first = path.nextView();
            if (first && path.lastQuoted())
                entry.ProgramPath = u16(*first);
            else
                entry.ProgramPath = u16(rest.substr(std::min(rest.find_first_not_of(u' '), rest.size())));
        }
        m_entries.push_back(std::move(entry));
    }
}

const AssociationEntry* AssociationTable::firstMatch(u16view name) const
{
    const u16 upperName = platform::toUpper(name);
    for (const AssociationEntry& e : m_entries)
        if (wildcardMatch(platform::toUpper(e.Pattern), upperName, WildcardSyntax::Like))
            return &e;
    return nullptr;
}

}
