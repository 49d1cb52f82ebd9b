#include "table/SortOrder.h"

#include "table/CellFormat.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace sorvik {

bool isDescending(char16_t sortKind)
{
    return sortKind == u'N' || sortKind == u'D' || sortKind == u'V';
}

std::vector<int> BuildSortOrder(char16_t sortKind, const std::vector<ListedFile>& files)
{
    char16_t key = sortKind;
    if (key >= u'a' && key <= u'z')
        key = char16_t(key - u'a' + u'A');
    if (key != u'N' && key != u'D' && key != u'V')
        return {};

    // A file whose date or length cannot be read gets an empty key and so
    // sorts first, like the empty cells it shows.
    std::vector<std::string> keys(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ListedFile& f = files[i];
        if (key == u'N')
            keys[i] = platform::collationKey(f.name);
        else if (f.info)
            keys[i]
                = platform::collationKey(key == u'D' ? formatDateCell(f.info->lastWrite) : sizeSortKey(f.info->size));
    }
    std::vector<int> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    return order;
}

}
