// Any command line a deployment tool or a user can give goes through the splitter, the parser and
// the program's choice of run. Whatever it holds, nothing crashes, and whenever /quiet stands in
// it the run is unattended: no window, no wizard. A broken property aborts, so libFuzzer keeps the
// input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "install/entry/program.h"
#include "platform/text.h"
#include "tests/support/fake_log_file.h"

namespace {

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "command line fuzz: %s\n", what);
    std::abort();
}

// A screen that counts what would have shown.
struct CountingUi : tq::Ui {
    int boxes = 0;
    std::string LoadText(int) override { return "text"; }
    int ShowMessageBox(const std::string&, const std::string&, unsigned) override {
        ++boxes;
        return tq::kIdOk;
    }
};

bool QuietStandsIn(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        tq::OptionParts parts;
        if (tq::SplitOption(arguments[i], parts) && parts.name == "quiet") return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> arguments =
        tq::SplitCommandLine(text, [](unsigned char c) { return tq::IsLeadByte936(c); });
    // The process's own line: the first word of the input, its program path.
    const std::string_view module = text.substr(0, text.find(' '));
    const std::vector<std::string> own = tq::SplitProgramCommandLine(
        text, module, [](unsigned char c) { return tq::IsLeadByte936(c); });
    Require(!own.empty(), "the program's own line lost its path");
    const tq::CommandLine line = tq::ParseCommandLine(arguments);
    const bool quiet = QuietStandsIn(arguments);
    if (quiet) Require(line.mode == tq::RunMode::Quiet, "/quiet given, the run is not unattended");
    if (!line.ok()) Require(!line.badOption.empty(), "a refusal names no option");

    CountingUi ui;
    tq::test::FakeLogFile file;
    // The first byte decides whether the log can be written, so refusals of /log are reached.
    file.openFails = size > 0 && (data[0] & 1) != 0;
    tq::test::FakeSystemErrors errors;
    tq::InstallLog log(file, errors);
    bool wizard = false;
    bool unattended = false;
    tq::ProgramServices services{ui, log, 5, 1,
                                 [&] {
                                     wizard = true;
                                     return 0;
                                 },
                                 [&] {
                                     unattended = true;
                                     return 0;
                                 }};
    const int code = tq::RunProgram(line, services);
    if (quiet) {
        Require(ui.boxes == 0, "a window showed in an unattended run");
        Require(!wizard, "the wizard ran with /quiet");
    }
    Require(!(wizard && unattended), "both front ends ran");
    Require(line.ok() || (!wizard && !unattended), "a refused command line ran");
    Require(line.ok() || code == 87, "a refusal did not end with 87");
    return 0;
}
