#pragma once

#include "transfer/CsvReader.h"
#include "transfer/TransferRecord.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {

// A line that could not be imported. In CSV `line` is the line of the file on which the
// row begins; in JSON it is the 1-based position of the shipment in "shipments" (or,
// for a syntax error, the line of the file).
struct ImportError {
    size_t line = 0;
    std::u16string reason; // short, in Korean
};

struct ParsedShipment {
    size_t line = 0; // as in ImportError
    TransferRecord record;
};

struct ParseResult {
    std::vector<ParsedShipment> shipments;
    std::vector<ImportError> errors;
    // The file as a whole could not be read (not CSV or JSON of ours, broken quoting,
    // beyond a limit): `shipments` is empty and `errors` holds the one reason.
    bool failed = false;
};

struct ParseOptions {
    int64_t now = 0; // the instant given to a missing order or entry date
    // Wall clock to instant for dates written without an offset.
    std::function<std::optional<int64_t>(int64_t wallSeconds)> localInstant;
    size_t maxBytes = size_t{64} * 1024 * 1024;
    CsvLimits csvLimits;
    size_t maxJsonShipments = 1'000'000;
    // Values (numbers, strings, arrays, objects) in a JSON file. A shipment takes about
    // ten; the byte limit already keeps real exports below 250,000 shipments. Bounds the
    // memory that a file of many tiny values ("[{},{},...]") could make the parser take.
    size_t maxJsonValues = 3'000'000;
};

// Reads the shipments of an import file: the JSON or CSV that ShipmentExporter writes,
// or any CSV whose header names at least the courier and the invoice number columns.
// It neither looks at the courier list nor at the store; ShipmentImporter does that.
//
// - JSON when the first character (after a byte-order mark and blanks) is "{": UTF-8,
//   {"format": "parcelo", "version": 1, "shipments": [...]}.
// - CSV otherwise. The text is UTF-8 (with or without a byte-order mark), UTF-16 with a
//   byte-order mark, or else CP949: without a mark, text that is valid UTF-8 is UTF-8.
//   The header names the columns, in Korean or English, ignoring case, blanks, "_" and
//   "-" (see the table in the source); unknown columns are ignored. Text cells lose
//   their formula guard (UnguardCsvText). Missing cells at the end of a row are empty.
// Per shipment: the invoice number must not be blank, and the courier needs a name or
// a code. A missing or empty date is `now`; status is 0, 1 or 2 (or 배송중, 완료,
// 취소, or in delivery, done, cancelled), empty meaning 0. A faulty shipment becomes an ImportError, the others are
// kept.
class ShipmentFileParser {
public:
    explicit ShipmentFileParser(ParseOptions options);

    ParseResult Parse(std::string_view bytes) const;
    ParseResult ParseCsvText(std::u16string_view text) const;
    ParseResult ParseJson(std::string_view bytes) const;

private:
    std::optional<int64_t> Date(std::u16string_view text) const;

    ParseOptions m_options;
};

} // namespace parcelo
