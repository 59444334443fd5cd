#include "tests/faults/fault_matrix.h"

#include "app/framework/resource_library.h"
#include "app/resource_ids.h"
#include "frontend/port_string_ids.h"

namespace {

FaultCell Cell(EFault fault, EExchange exchange, std::vector<int> messages, ELineAfter line,
               std::string lineNote = {})
{
    return {fault, exchange, std::move(messages), line, {}, {}, std::move(lineNote)};
}

FaultCell NameCell(EFault fault, std::string variant, std::string rawName, std::vector<int> messages,
                   ELineAfter line, std::string lineNote = {})
{
    return {fault,         EExchange::NameRead, std::move(messages), line, std::move(variant), std::move(rawName),
            std::move(lineNote)};
}

// The faults every reply can suffer, with the boxes of the exchange's own
// failure and the line state each leaves behind.
void AddReplyFaults(std::vector<FaultCell>& cells, EExchange exchange, const std::vector<int>& failed,
                    ELineAfter afterGarbage, const std::string& garbageNote = {})
{
    const bool startup = IsStartupExchange(exchange);
    const ELineAfter kept = startup ? ELineAfter::Closed : ELineAfter::Clean;
    cells.push_back(Cell(EFault::WrongReply, exchange, failed, kept));
    cells.push_back(Cell(EFault::Silence, exchange, failed, kept));
    cells.push_back(Cell(EFault::CutShort, exchange, failed, kept,
                         startup ? "" : "every byte that came was read before the time-out"));
    cells.push_back(Cell(EFault::GarbageFlood, exchange, failed, startup ? ELineAfter::Closed : afterGarbage,
                         garbageNote));
    // A line that hangs up is a port that is gone, and is said as such in
    // place of the exchange's own failure.
    std::vector<int> gone = failed;
    if (!gone.empty())
        gone.back() = kPortGoneBox;
    cells.push_back(Cell(EFault::HangUp, exchange, gone, startup ? ELineAfter::Closed : ELineAfter::Gone));
}

std::vector<FaultCell> BuildMatrix()
{
    std::vector<FaultCell> cells;
    // Start-up: any failed identification is the one message, then the end.
    AddReplyFaults(cells, EExchange::Identification, {IDS_NO_ACCESS_POINT}, ELineAfter::Closed);

    // Only the listing throws away what came with a failed reply.
    AddReplyFaults(cells, EExchange::Listing, {IDS_LIST_FAILED}, ELineAfter::Clean,
                   "the flood filled the receive ring before the listing read and the rest waited in the driver; "
                   "the discard took all of it, the reply with it");
    cells.push_back(Cell(EFault::UnplugAfterFlood, EExchange::Listing, {kPortGoneBox}, ELineAfter::Gone,
                         "the discard took what the ring held and did not wait for what the driver lost"));

    AddReplyFaults(cells, EExchange::Deletion, {IDS_CONFIRM_DELETE, IDS_DELETE_FAILED}, ELineAfter::TailLeft);

    AddReplyFaults(cells, EExchange::NameRead, {IDS_NAME_READ_FAILED}, ELineAfter::TailLeft);
    // The decoder takes 1 to 3 byte sequences and nothing else.
    cells.push_back(NameCell(EFault::InvalidUtf8Name, "FourByteSequence", "Fun \xF0\x9F\x98\x80\n",
                             {IDS_NAME_READ_FAILED}, ELineAfter::Clean, "the name was read up to its line feed"));
    cells.push_back(NameCell(EFault::InvalidUtf8Name, "StrayContinuationByte", "\x80" "abc\n",
                             {IDS_NAME_READ_FAILED}, ELineAfter::Clean, "the name was read up to its line feed"));
    cells.push_back(NameCell(EFault::InvalidUtf8Name, "TruncatedSequence", "Caf\xC3\n", {IDS_NAME_READ_FAILED},
                             ELineAfter::Clean, "the name was read up to its line feed"));
    // The host keeps 247 bytes of a name and leaves the rest unread.
    cells.push_back(NameCell(EFault::LongName, "", std::string(250, 'n') + "\n", {}, ELineAfter::TailLeft,
                             "the 3 name bytes past the 247th and the line feed stay unread"));

    AddReplyFaults(cells, EExchange::NameChange, {IDS_UPDATE_FAILED}, ELineAfter::TailLeft);
    AddReplyFaults(cells, EExchange::PinChange, {IDS_CONFIRM_PIN, IDS_UPDATE_FAILED}, ELineAfter::TailLeft);

    // The end's outcome is not used: whatever the device does, the program
    // closes the port and ends without a word.
    AddReplyFaults(cells, EExchange::End, {}, ELineAfter::Closed);
    cells.push_back(Cell(EFault::GoneBeforeExit, EExchange::End, {}, ELineAfter::Closed,
                         "\"EXIT\\n\" went into a line that had hung up"));
    return cells;
}

// Combinations that mean nothing: the name faults need a name in the reply,
// and a device that goes away during any other exchange is the hang-up row.
std::vector<LeftOutCell> BuildLeftOut()
{
    std::vector<LeftOutCell> cells;
    for (EExchange exchange : {EExchange::Identification, EExchange::Listing, EExchange::Deletion,
                               EExchange::NameChange, EExchange::PinChange, EExchange::End}) {
        const std::string reason =
            exchange == EExchange::NameChange
                ? "the reply is the acknowledgement alone; the name sent is the program's own UTF-8 of at most 20 "
                  "typed characters"
                : "no name comes back in this reply";
        cells.push_back({EFault::InvalidUtf8Name, exchange, reason});
        cells.push_back({EFault::LongName, exchange, reason});
    }
    for (EExchange exchange : {EExchange::Identification, EExchange::Listing, EExchange::Deletion,
                               EExchange::NameRead, EExchange::NameChange, EExchange::PinChange})
        cells.push_back({EFault::GoneBeforeExit, exchange,
                         "a fault of the end; a device that goes during this exchange is the HangUp row"});
    for (EExchange exchange : {EExchange::Identification, EExchange::Deletion, EExchange::NameRead,
                               EExchange::NameChange, EExchange::PinChange, EExchange::End})
        cells.push_back({EFault::UnplugAfterFlood, exchange,
                         "only the listing empties the port; a line lost before another exchange is its HangUp row"});
    return cells;
}

std::string Messages(const FaultCell& cell)
{
    std::string text;
    for (int id : cell.messages) {
        if (!text.empty())
            text += " / ";
        // The gone box is the port's name in string IDS_PORT_GONE.
        const int shown = id == kPortGoneBox ? IDS_PORT_GONE : id;
        text += std::to_string(shown) + " \"" + CResourceLibrary::LoadString(shown) + "\"";
    }
    return text.empty() ? "none" : text;
}

}  // namespace

const std::vector<FaultCell>& FaultMatrix()
{
    static const std::vector<FaultCell> cells = BuildMatrix();
    return cells;
}

std::vector<FaultCell> CellsOf(EExchange exchange)
{
    std::vector<FaultCell> cells;
    for (const FaultCell& cell : FaultMatrix())
        if (cell.exchange == exchange)
            cells.push_back(cell);
    return cells;
}

const std::vector<LeftOutCell>& LeftOutCells()
{
    static const std::vector<LeftOutCell> cells = BuildLeftOut();
    return cells;
}

std::string TestNameOf(const FaultCell& cell)
{
    return std::string(ExchangeName(cell.exchange)) + "/FaultMatrix.Cell/" + CellName(cell);
}

std::string WhatUserSees(const FaultCell& cell)
{
    switch (cell.exchange) {
    case EExchange::Identification: return "the program ends; nothing more is sent";
    case EExchange::Listing: return "an empty list, the delete button disabled";
    case EExchange::Deletion: return "the list and its selection unchanged, the delete button enabled";
    case EExchange::NameRead:
        return cell.messages.empty() ? "the name field shows the first 247 bytes" : "the name field unchanged";
    case EExchange::NameChange: return "the name field unchanged";
    case EExchange::PinChange: return "the PIN fields keep their texts";
    case EExchange::End: return "the program ends normally";
    }
    return {};
}

std::string LineAfterText(const FaultCell& cell)
{
    std::string text;
    switch (cell.line) {
    case ELineAfter::Clean: text = "clean: the next exchange is accepted"; break;
    case ELineAfter::TailLeft:
        text = "the unread rest waits in the receive ring: the next exchange reads it and fails, and what of its "
               "request had not gone out by then is dropped";
        break;
    case ELineAfter::Gone: text = "the device has hung up: the next exchange fails at once, saying the port is gone"; break;
    case ELineAfter::Closed: text = "the port is closed"; break;
    }
    if (!cell.lineNote.empty())
        text += " (" + cell.lineNote + ")";
    return text;
}

void WriteMatrixTable(std::ostream& out)
{
    for (const FaultCell& cell : FaultMatrix())
        out << "cell\t" << TestNameOf(cell) << '\t' << CellName(cell) << '\t' << ExchangeName(cell.exchange) << '\t'
            << Messages(cell) << '\t' << WhatUserSees(cell) << '\t' << LineAfterText(cell) << '\n';
    for (const LeftOutCell& cell : LeftOutCells())
        out << "left-out\t" << FaultName(cell.fault) << '\t' << ExchangeName(cell.exchange) << '\t' << cell.reason
            << '\n';
}
