#include "listui/ShipmentListCommands.h"

#include "res/resource.h"
#include "store/ShipmentDatabase.h"

namespace parcelo {

namespace {

struct SortCommand {
    uint32_t command;
    uint32_t keyTag;
    uint32_t flags;
};

constexpr uint32_t kNewestFirst = CEDB_SORT_DESCENDING | CEDB_SORT_UNKNOWNFIRST;
constexpr SortCommand kSortCommands[] = {
    {ID_SORT_ENTRY_DESC, PROP_ENTRY_DATE, kNewestFirst},
    {ID_SORT_ENTRY_ASC, PROP_ENTRY_DATE, CEDB_SORT_UNKNOWNFIRST},
    {ID_SORT_ORDER_DESC, PROP_ORDER_DATE, kNewestFirst},
    {ID_SORT_ORDER_ASC, PROP_ORDER_DATE, CEDB_SORT_UNKNOWNFIRST},
};

} // namespace

bool PassesFilter(const Shipment& shipment, int filter) {
    return filter == FILTER_ALL || filter == shipment.status;
}

bool SortOrderForCommand(uint32_t command, uint32_t& keyTag, uint32_t& flags) {
    for (const SortCommand& sort : kSortCommands) {
        if (sort.command == command) {
            keyTag = sort.keyTag;
            flags = sort.flags;
            return true;
        }
    }
    return false;
}

bool FilterForCommand(uint32_t command, int& filter) {
    const auto first = static_cast<uint32_t>(ID_FILTER_ALL);
    if (command < first || command > static_cast<uint32_t>(ID_FILTER_CANCELLED)) {
        return false;
    }
    filter = static_cast<int>(command - first) - 1;
    return true;
}

} // namespace parcelo
