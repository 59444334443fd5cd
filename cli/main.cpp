#include <cstdio>

#include "cli/apctl.h"
#include "cli/apctl_string_ids.h"
#include "cli/apctl_text.h"
#include "cli/console_text_writer.h"
#include "cli/hidden_entry.h"
#include "cli/pin_entry.h"
#include "cli/process_setup.h"
#include "frontend/string_table.h"

namespace {
// pin without its PINs on the command line: from standard input, or typed.
// 0, or the status to end with (having said why).
int TakePins(ApctlOptions& options)
{
    if (options.command != ApctlOptions::ECommand::Pin || options.currentPin)
        return CApctl::kDone;
    CPinEntry::Pins pins;
    std::string error;
    bool taken = false;
    if (options.pinsFromStdin)
        taken = CPinEntry::FromStream(stdin, pins, error);
    else if (CHiddenEntry::InputIsTerminal())
        taken = CPinEntry::FromTerminal(CHiddenEntry::Ask, pins, error);
    else
        error = CApctlText::Get(IDS_APCTL_PIN_NEEDS_TERMINAL);
    if (int status = InterruptionStatus())
        return status;
    if (!taken) {
        CConsoleTextWriter::Write(stderr, "apctl: " + error + "\n");
        return CApctl::kUsage;
    }
    options.currentPin = std::move(pins.current);
    options.newPin = std::move(pins.next);
    return CApctl::kDone;
}
}  // namespace

int main(int argc, char** argv)
{
    const ProcessStart start = PrepareProcess();
    // Every message is the resource library's, usage errors too; the reasons
    // a port cannot be used are the port dialog's.
    PrepareResources();
    CStringTable::Load();
    std::string error;
    auto options = ParseApctlOptions(argc, argv, error);
    if (!options) {
        CConsoleTextWriter::Write(stderr, "apctl: " + CApctlText::Get(IDS_APCTL_SEE_HELP, {error}) + "\n");
        return CApctl::kUsage;
    }
    if (options->help) {
        CHeldOutput usage(stdout, start.outClosed);
        usage.Add(ApctlUsage());
        if (usage.Deliver())
            return CApctl::kDone;
        CConsoleTextWriter::Write(stderr, "apctl: " + CApctlText::Get(IDS_APCTL_OUTPUT_FAILED, {usage.Error()}) + "\n");
        return CApctl::kOutputFailed;
    }
    ShowTextAs(options->json);
    if (int status = TakePins(*options))
        return status;
    CApctl apctl(stdout, start.outClosed, stderr, start.errIsTerminal);
    apctl.StopOn(InterruptionStatus);
    return apctl.Run(*options);
}
