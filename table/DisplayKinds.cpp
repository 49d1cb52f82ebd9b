#include "table/DisplayKinds.h"

namespace sorvik {

void ApplyDisplayKinds(const DisplayKinds& kinds, FileListing& listing)
{
    FileListing::Switches s;
    s.readOnly = kinds.ShowReadOnly != 0;
    s.hidden = kinds.ShowHidden != 0;
    s.system = kinds.ShowSystem != 0;
    s.archive = kinds.ShowArchive != 0;
    listing.setSwitches(s);
}

}
