#include "app/HelpText.h"

#include "platform/DataFileNames.h"
#include "platform/Paths.h"

namespace sorvik {

std::optional<u16> LoadHelpText(const platform::FileSystem& fs, u16view helpDir, u16view dataDir)
{
    for (u16view dir : {helpDir, dataDir}) {
        if (auto bytes = fs.readFile(AddBackslash(dir) + kHelpFile))
            return platform::joinLinesCrLf(platform::splitLines(platform::decodeCp932(*bytes)));
    }
    return std::nullopt;
}

u16 missingHelpMessage()
{
    return u16(kHelpFile) + u" が有りません";
}

}
