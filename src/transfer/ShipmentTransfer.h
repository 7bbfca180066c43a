#pragma once

#include "couriers/Courier.h"
#include "platform/AtomicFile.h"
#include "platform/Iso8601.h"
#include "platform/LocalTime.h"
#include "store/ShipmentDatabase.h"
#include "transfer/ShipmentImporter.h"
#include "transfer/TransferRecord.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {

class CourierDetector;

// Export of the store's shipments to a file and import of a file into the store, shared
// by the window and the command line. Plain C++: the courier list and the detector are
// given by the caller.
class ShipmentTransfer {
public:
    enum class Format { Csv, Json };

    // Why an export or import could not be done.
    enum class Error {
        None,
        StoreFailed,    // reading or writing the store failed (see the store's LastError)
        NotFound,       // the file to import does not exist
        NotRegularFile, // it is a folder, a device...; left alone
        TooLarge,       // over kMaxImportBytes; not read
        Unreadable,     // the file could not be read
        Unrecognised,   // not a file of shipments (the plan's errors say why)
        Denied,         // no permission to write the file
        DiskFull,       // the disk is full
        WriteFailed,    // any other failure to write the file
    };

    // The largest file an import reads.
    static constexpr size_t kMaxImportBytes = size_t{200} * 1024 * 1024;

    // The courier list is kept by reference and must outlive this object, as must the
    // store and the detector (which may be null: no detection).
    ShipmentTransfer(CShipmentDatabase& store, const std::vector<Courier>& couriers,
                     const CourierDetector* detector = nullptr, UtcOffsetFunction utcOffset = LocalUtcOffset);

    // The format named by a file's extension (.csv or .json, in any case).
    static std::optional<Format> FormatOf(std::string_view fileName);

    // A shipment with its courier's name, code and index; a shipment whose courier is not
    // in the list gets an empty name, no code and its stored index.
    static TransferRecord ToRecord(const Shipment& shipment, const std::vector<Courier>& couriers);
    // The shipment to store for a planned record (courierIndex set); its id is 0.
    static Shipment ToShipment(const TransferRecord& record);

    // The shipments a query selects, in its order, in the format; empty when the store
    // could not be read (Error StoreFailed).
    std::optional<std::string> ExportBytes(Format format, const ShipmentQuery& query = {});
    // Chooses, among the shipments a query selects, those written (the others are left out).
    using ShipmentFilter = std::function<bool(const Shipment&)>;

    // ExportBytes written to `file` atomically; the number of shipments in `exported`.
    // With `keep`, only the shipments it keeps are written.
    Error Export(const std::string& file, Format format, const ShipmentQuery& query = {}, size_t* exported = nullptr,
                 const ShipmentFilter& keep = {});

    // What importing `file` would do, nothing written. Error None with a plan whose
    // `failed` is set means the file was read but is not one of shipments: Unrecognised.
    Error PlanImport(const std::string& file, ImportPlan& plan);
    // The plan of bytes already read.
    ImportPlan PlanImportBytes(std::string_view bytes);
    // Adds every shipment of `plan.toAdd` in one transaction, or none of them, in the order
    // of their entry dates (equal ones in the order of the ids the file gives them).
    Error CommitImport(const ImportPlan& plan);

private:
    std::vector<std::u16string> CourierNames() const;
    std::vector<int32_t> CourierCodes() const;
    // Gives detected couriers to shipments whose courier the list lacks; returns, by
    // line, the names of the candidates where several couriers accept the number.
    std::map<size_t, std::u16string> DetectUnknownCouriers(ParseResult& parsed) const;

    CShipmentDatabase& m_store;
    const std::vector<Courier>& m_couriers;
    const CourierDetector* m_detector;
    UtcOffsetFunction m_utcOffset;
};

// A short Korean sentence for an export or import failure.
std::u16string DescribeTransferError(ShipmentTransfer::Error error);

} // namespace parcelo
