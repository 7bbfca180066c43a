#include "list/ShipmentListCommands.h"

#include "platform/resource.h"

namespace parcelo {

namespace {

struct SortCommand {
    int command;
    ShipmentSortKey key;
    bool newestFirst;
};

constexpr SortCommand kSortCommands[] = {
    {ID_SORT_ENTRY_DESC, ShipmentSortKey::EntryDate, true},
    {ID_SORT_ENTRY_ASC, ShipmentSortKey::EntryDate, false},
    {ID_SORT_ORDER_DESC, ShipmentSortKey::OrderDate, true},
    {ID_SORT_ORDER_ASC, ShipmentSortKey::OrderDate, false},
};

} // namespace

bool SortOrderForCommand(uint32_t command, ShipmentQuery& query) {
    for (const SortCommand& sort : kSortCommands) {
        if (static_cast<uint32_t>(sort.command) == command) {
            query.key = sort.key;
            query.newestFirst = sort.newestFirst;
            return true;
        }
    }
    return false;
}

bool FilterForCommand(uint32_t command, ShipmentQuery& query) {
    const auto first = static_cast<uint32_t>(ID_FILTER_ALL);
    if (command < first || command > static_cast<uint32_t>(ID_FILTER_CANCELLED)) {
        return false;
    }
    // "모두 표시" shows every status; the others one status each, in status order.
    query.filter = command == first ? FILTER_ALL : static_cast<int>(command - first) - 1;
    return true;
}

} // namespace parcelo
