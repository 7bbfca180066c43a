#include "transfer/ShipmentFileParser.h"

#include "platform/NumberNormaliser.h"
#include "platform/CharClass.h"
#include "platform/CodePage.h"
#include "platform/Iso8601.h"
#include "platform/LocalTime.h"
#include "platform/Translation.h"
#include "transfer/CsvWriter.h"
#include "transfer/ImportText.h"
#include "platform/TextFolding.h"

#include <algorithm>
#include <array>
#include <limits>
#include <nlohmann/json.hpp>
#include <variant>

namespace parcelo {

namespace {

enum Column { kId, kCourier, kCourierCode, kCourierIndex, kInvoice, kItem, kOrderDate, kEntryDate, kStatus, kColumns };

// Header names per column, as HeaderKey folds them.
struct ColumnName {
    Column column;
    std::u16string_view name;
};
constexpr std::array kColumnNames = {
    ColumnName{kId, u"id"},
    ColumnName{kId, u"번호"},
    ColumnName{kCourier, u"courier"},
    ColumnName{kCourier, u"couriername"},
    ColumnName{kCourier, u"carrier"},
    ColumnName{kCourier, u"택배사"},
    ColumnName{kCourier, u"택배사명"},
    ColumnName{kCourier, u"택배회사"},
    ColumnName{kCourierCode, u"couriercode"},
    ColumnName{kCourierCode, u"택배사코드"},
    ColumnName{kCourierIndex, u"courierindex"},
    ColumnName{kCourierIndex, u"택배사순서"},
    ColumnName{kInvoice, u"invoicenumber"},
    ColumnName{kInvoice, u"invoice"},
    ColumnName{kInvoice, u"invoiceno"},
    ColumnName{kInvoice, u"trackingnumber"},
    ColumnName{kInvoice, u"trackingno"},
    ColumnName{kInvoice, u"송장번호"},
    ColumnName{kInvoice, u"운송장번호"},
    ColumnName{kInvoice, u"송장"},
    ColumnName{kItem, u"itemname"},
    ColumnName{kItem, u"item"},
    ColumnName{kItem, u"품명"},
    ColumnName{kItem, u"상품명"},
    ColumnName{kItem, u"물품명"},
    ColumnName{kOrderDate, u"orderdate"},
    ColumnName{kOrderDate, u"주문일"},
    ColumnName{kOrderDate, u"주문일자"},
    ColumnName{kOrderDate, u"주문날짜"},
    ColumnName{kEntryDate, u"entrydate"},
    ColumnName{kEntryDate, u"등록일"},
    ColumnName{kEntryDate, u"등록일자"},
    ColumnName{kStatus, u"status"},
    ColumnName{kStatus, u"상태"},
    ColumnName{kStatus, u"배송상태"},
};

// Names of the columns for error messages, in the interface's language where shown.
constexpr std::array<std::u16string_view, kColumns> kColumnLabels = {
    PARCELO_TR_NOOP("ShipmentFileParser", "번호"),        PARCELO_TR_NOOP("ShipmentFileParser", "택배사"),
    PARCELO_TR_NOOP("ShipmentFileParser", "택배사 코드"), PARCELO_TR_NOOP("ShipmentFileParser", "택배사 순서"),
    PARCELO_TR_NOOP("ShipmentFileParser", "송장번호"),    PARCELO_TR_NOOP("ShipmentFileParser", "품명"),
    PARCELO_TR_NOOP("ShipmentFileParser", "주문일"),      PARCELO_TR_NOOP("ShipmentFileParser", "등록일"),
    PARCELO_TR_NOOP("ShipmentFileParser", "상태")};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::u16string HeaderKey(std::u16string_view header) {
    std::u16string key;
    for (const char16_t c : header) {
        if (c != u'_' && c != u'-' && c != u'\uFEFF' && !IsPlatformSpace(c)) {
            key.push_back(FoldLatinCase(c));
        }
    }
    return key;
}

template <typename Int> std::optional<Int> ParseInteger(std::u16string_view text) {
    text = TrimSpaces(text);
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    // Accumulated as a negative number, which has room for the minimum.
    int64_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const int digit = c - u'0';
        if (value < (std::numeric_limits<int64_t>::min() + digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<int64_t>::min()) {
            return std::nullopt;
        }
        value = -value;
    }
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max()) {
        return std::nullopt;
    }
    return static_cast<Int>(value);
}

std::optional<int32_t> ParseStatus(std::u16string_view text) {
    text = TrimSpaces(text);
    if (text.empty()) {
        return 0;
    }
    const std::u16string key = HeaderKey(text);
    if (key == u"배송중" || key == u"indelivery") {
        return 0;
    }
    if (key == u"완료" || key == u"done") {
        return 1;
    }
    if (key == u"취소" || key == u"cancelled" || key == u"canceled") {
        return 2;
    }
    const auto code = ParseInteger<int32_t>(text);
    if (code && *code >= 0 && *code <= 2) {
        return code;
    }
    return std::nullopt;
}

std::u16string Invalid(Column column) {
    return FormatText(PARCELO_TR("ShipmentFileParser", "%1 값이 잘못되었습니다"),
                      {Translate("ShipmentFileParser", kColumnLabels[column])});
}

ParseResult Failure(size_t line, std::u16string reason) {
    ParseResult result;
    result.failed = true;
    result.errors.push_back({line, std::move(reason)});
    return result;
}

// One shipment's cells, as text; absent cells are std::nullopt.
struct ShipmentCells {
    std::array<std::optional<std::u16string>, kColumns> cells;
};

// Builds a record from its cells; an error reason when a cell is unusable.
std::variant<TransferRecord, std::u16string>
BuildRecord(const ShipmentCells& input, int64_t now,
            const std::function<std::optional<int64_t>(std::u16string_view)>& date) {
    const auto cell = [&](Column column) -> std::u16string_view {
        const auto& value = input.cells[column];
        return value ? std::u16string_view(*value) : std::u16string_view();
    };
    TransferRecord record;
    if (!TrimSpaces(cell(kId)).empty()) {
        record.id = ParseInteger<int64_t>(cell(kId)).value_or(0); // a new id is given anyway
    }
    record.courierName = cell(kCourier);
    for (const Column column : {kCourierCode, kCourierIndex}) {
        if (TrimSpaces(cell(column)).empty()) {
            continue;
        }
        const auto value = ParseInteger<int32_t>(cell(column));
        if (!value) {
            return Invalid(column);
        }
        (column == kCourierCode ? record.courierCode : record.courierIndex) = value;
    }
    record.invoiceNumber = cell(kInvoice);
    record.itemName = cell(kItem);
    if (NormaliseInvoiceNumber(record.invoiceNumber).empty()) {
        return std::u16string(PARCELO_TR("ShipmentFileParser", "송장번호가 없습니다"));
    }
    if (IsInvoiceNumberTooLong(record.invoiceNumber)) {
        return std::u16string(
            PARCELO_TR("ShipmentFileParser", "송장번호가 너무 깁니다 (공백과 하이픈을 빼고 40자까지)"));
    }
    if (TrimSpaces(record.courierName).empty() && !record.courierCode) {
        return std::u16string(PARCELO_TR("ShipmentFileParser", "택배사가 없습니다"));
    }
    for (const Column column : {kOrderDate, kEntryDate}) {
        int64_t& target = column == kOrderDate ? record.orderDate : record.entryDate;
        if (TrimSpaces(cell(column)).empty()) {
            target = now;
            continue;
        }
        const auto instant = date(TrimSpaces(cell(column)));
        if (!instant) {
            return Invalid(column);
        }
        target = *instant;
    }
    const auto status = ParseStatus(cell(kStatus));
    if (!status) {
        return Invalid(kStatus);
    }
    record.status = *status;
    return record;
}

void Keep(ParseResult& result, size_t line, std::variant<TransferRecord, std::u16string> built) {
    if (auto* record = std::get_if<TransferRecord>(&built)) {
        result.shipments.push_back({line, std::move(*record)});
    } else {
        result.errors.push_back({line, std::move(std::get<std::u16string>(built))});
    }
}

// Deepest nesting of arrays and objects, counted without parsing so that a hostile
// file is turned away before a parser recurses into it.
size_t JsonDepth(std::string_view bytes, size_t limit) {
    size_t depth = 0;
    size_t deepest = 0;
    bool inString = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit) {
                return deepest;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

size_t LineOfByte(std::string_view bytes, size_t position) {
    position = std::min(position, bytes.size());
    size_t line = 1;
    for (size_t i = 0; i < position; ++i) {
        line += bytes[i] == '\n' ? 1 : 0;
    }
    return line;
}

} // namespace

ShipmentFileParser::ShipmentFileParser(ParseOptions options) : m_options(std::move(options)) {
    if (!m_options.localInstant) {
        m_options.localInstant = LocalWallClockToInstant;
    }
}

std::optional<int64_t> ShipmentFileParser::Date(std::u16string_view text) const {
    return ParseIsoDateTime(text, m_options.localInstant);
}

ParseResult ShipmentFileParser::Parse(std::string_view bytes) const {
    if (bytes.size() > m_options.maxBytes) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "파일이 너무 큽니다"));
    }
    std::string_view start = bytes;
    if (start.starts_with(kUtf8Mark)) {
        start.remove_prefix(kUtf8Mark.size());
    }
    const size_t first = start.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "빈 파일입니다"));
    }
    if (start[first] == '{') {
        return ParseJson(start);
    }
    const auto text = DecodeImportText(bytes);
    if (!text) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "글자 인코딩을 읽을 수 없습니다"));
    }
    return ParseCsvText(*text);
}

ParseResult ShipmentFileParser::ParseCsvText(std::u16string_view text) const {
    if (!text.empty() && text.front() == u'\uFEFF') {
        text.remove_prefix(1);
    }
    CsvReader reader(text, m_options.csvLimits);
    CsvRow row;
    if (!reader.Next(row)) {
        return reader.Error() ? Failure(reader.Error()->line, reader.Error()->reason)
                              : Failure(1, PARCELO_TR("ShipmentFileParser", "빈 파일입니다"));
    }
    std::array<std::optional<size_t>, kColumns> positions;
    for (size_t i = 0; i < row.fields.size(); ++i) {
        const std::u16string key = HeaderKey(row.fields[i]);
        for (const ColumnName& name : kColumnNames) {
            if (name.name == key && !positions[name.column]) {
                positions[name.column] = i;
            }
        }
    }
    if (!positions[kCourier]) {
        return Failure(row.line, PARCELO_TR("ShipmentFileParser", "택배사 열이 없습니다"));
    }
    if (!positions[kInvoice]) {
        return Failure(row.line, PARCELO_TR("ShipmentFileParser", "송장번호 열이 없습니다"));
    }

    const auto date = [this](std::u16string_view value) { return Date(value); };
    ParseResult result;
    ShipmentCells cells;
    while (reader.Next(row)) {
        for (size_t column = 0; column < kColumns; ++column) {
            auto& cell = cells.cells[column];
            if (!positions[column] || *positions[column] >= row.fields.size()) {
                cell.reset();
                continue;
            }
            std::u16string& value = row.fields[*positions[column]];
            const bool text = column == kCourier || column == kInvoice || column == kItem;
            cell = text ? std::u16string(UnguardCsvText(value)) : std::move(value);
        }
        Keep(result, row.line, BuildRecord(cells, m_options.now, date));
    }
    if (reader.Error()) {
        return Failure(reader.Error()->line, reader.Error()->reason);
    }
    return result;
}

ParseResult ShipmentFileParser::ParseJson(std::string_view bytes) const {
    using Json = nlohmann::json;
    constexpr size_t kMaxDepth = 16;
    if (bytes.size() > m_options.maxBytes) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "파일이 너무 큽니다"));
    }
    if (JsonDepth(bytes, kMaxDepth) > kMaxDepth) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "JSON이 너무 깊게 중첩되었습니다"));
    }
    struct TooManyValues {};
    size_t values = 0;
    const size_t maxValues = m_options.maxJsonValues;
    const auto countValues = [&values, maxValues](int /*depth*/, Json::parse_event_t event, Json& /*parsed*/) {
        if (event == Json::parse_event_t::value || event == Json::parse_event_t::object_start ||
            event == Json::parse_event_t::array_start) {
            if (++values > maxValues) {
                throw TooManyValues{};
            }
        }
        return true;
    };
    Json document;
    try {
        document = Json::parse(bytes.begin(), bytes.end(), countValues);
    } catch (const Json::parse_error& error) {
        return Failure(LineOfByte(bytes, error.byte), PARCELO_TR("ShipmentFileParser", "JSON 형식이 잘못되었습니다"));
    } catch (const Json::exception&) {
        return Failure(
            1, PARCELO_TR("ShipmentFileParser", "JSON 형식이 잘못되었습니다")); // a number out of range, for one
    } catch (const TooManyValues&) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "항목이 너무 많습니다"));
    }
    const auto format = document.is_object() ? document.find("format") : document.end();
    if (!document.is_object() || format == document.end() || *format != "parcelo") {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "Parcelo에서 내보낸 파일이 아닙니다"));
    }
    const auto version = document.find("version");
    if (version == document.end() || !version->is_number_integer() || *version != 1) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "지원하지 않는 파일 버전입니다"));
    }
    const auto list = document.find("shipments");
    if (list == document.end() || !list->is_array()) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "shipments 목록이 없습니다"));
    }
    if (list->size() > m_options.maxJsonShipments) {
        return Failure(1, PARCELO_TR("ShipmentFileParser", "항목이 너무 많습니다"));
    }

    static constexpr std::array<const char*, kColumns> kKeys = {"id",           "courier",       "courierCode",
                                                                "courierIndex", "invoiceNumber", "itemName",
                                                                "orderDate",    "entryDate",     "status"};
    const auto date = [this](std::u16string_view value) { return Date(value); };
    ParseResult result;
    size_t position = 0;
    for (const Json& shipment : *list) {
        ++position;
        if (!shipment.is_object()) {
            result.errors.push_back({position, PARCELO_TR("ShipmentFileParser", "항목이 객체가 아닙니다")});
            continue;
        }
        ShipmentCells cells;
        std::optional<Column> wrongType;
        for (size_t column = 0; column < kColumns && !wrongType; ++column) {
            const auto value = shipment.find(kKeys[column]);
            if (value == shipment.end() || value->is_null()) {
                continue;
            }
            const bool numeric =
                column == kId || column == kCourierCode || column == kCourierIndex || column == kStatus;
            if (numeric && value->is_number_integer()) {
                cells.cells[column] = DecodeStrictUtf8(value->dump()).value_or(u"");
            } else if (!numeric && value->is_string()) {
                // The JSON parser has checked that strings are valid UTF-8.
                cells.cells[column] = DecodeStrictUtf8(value->get_ref<const std::string&>()).value_or(u"");
            } else {
                wrongType = static_cast<Column>(column);
            }
        }
        if (wrongType) {
            result.errors.push_back({position, Invalid(*wrongType)});
            continue;
        }
        Keep(result, position, BuildRecord(cells, m_options.now, date));
    }
    return result;
}

} // namespace parcelo
