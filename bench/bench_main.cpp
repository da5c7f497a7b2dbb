// Runs every benchmark of Tarnwick on this machine, side by side in one run, and prints
// the table. Each host runs in a process of its own, against a target in another, so that
// CPU time and peak memory belong to that host alone.
//
//   tarnwick_bench [--lines N] [--rounds R] [--wait-seconds S] [--only NAME,...]
//                  [--placement P]
//   R: how many times each transfer runs (5); the table shows its median run, and the
//      fastest round beside it
//   NAME: reference, engine, window, silent, noise, cli
//   P: shared (default) keeps host and target on CPU 0, so an exchange costs the host's
//      own work and a local wake-up; split puts the target on CPU 1, which adds the
//      machine's cross-CPU wake-up (large and erratic on a virtual machine); free leaves
//      both to the scheduler. The command line's runs are always left to the scheduler, as a
//      user's would be: eight boards need every core there is.
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench/report.h"
#include "bench/scenario_runner.h"
#include "tools/target-sim/hex_records.h"

namespace tarnwick::bench {
namespace {

namespace fs = std::filesystem;

// The command line's runs: a file of a size a small application has, at the window's highest
// rate, against targets that keep that rate's pace.
constexpr int kPacedLines = 2'048;
constexpr int kPacedBaud = 115'200;
constexpr int kBoards = 8;

struct Options {
  int lines = 32'767;
  int waitSeconds = 30;
  std::string only;  // empty: all
  std::string placement = "shared";
  int rounds = 5;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    if (name == "--lines") {
      options.lines = std::stoi(argv[i + 1]);
    } else if (name == "--wait-seconds") {
      options.waitSeconds = std::stoi(argv[i + 1]);
    } else if (name == "--only") {
      options.only = std::string(",") + argv[i + 1] + ",";
    } else if (name == "--rounds") {
      options.rounds = std::max(1, std::stoi(argv[i + 1]));
    } else if (name == "--placement") {
      options.placement = argv[i + 1];
      if (options.placement != "shared" && options.placement != "split" &&
          options.placement != "free") {
        throw std::invalid_argument("placement is shared, split or free");
      }
    } else {
      throw std::invalid_argument("unknown option " + name);
    }
  }
  if (argc % 2 == 0) throw std::invalid_argument("an option lacks its value");
  return options;
}

// 16-byte data records and the end-of-file record, CRLF after each as in files from the
// usual tools. The addresses wrap at 64 KiB: the target checks each record, not the map.
void WriteApplicationFile(const std::string& path, int lines) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& record : sim::MakeHexRecords(lines - 1)) out << record << "\r\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string CpuModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown";
}

void PrintMachine() {
  utsname system{};
  uname(&system);
  std::printf("Machine: %ld cores online, %s, Linux %s\n", sysconf(_SC_NPROCESSORS_ONLN),
              CpuModel().c_str(), system.release);
}

// The targets, as target-sim's options. The instant one answers every whole record at once.
const std::vector<std::string> kInstant = {"--start-in-bootloader"};
const std::vector<std::string> kSilent = {"--silent"};
// The running application answers the jump command with the active character and then
// chatters at the full rate of 115200 baud, in batches about every millisecond as a UART with
// a FIFO hands them over; its bootloader waits for a start sequence that the host never sends,
// so the host's requests go on until it cancels.
const std::vector<std::string> kNoise = {
    "--noise", "11520", "--noise-after-active", "--noise-every-ms", "1", "--start-sequence", "$$$"};
const std::vector<std::string> kPaced = {"--start-in-bootloader", "--pace",
                                         std::to_string(kPacedBaud)};

// tarnwick-cli downloading `file` to `boards` boards at once, as a user would type it.
std::vector<std::string> CliDownload(const std::string& file, int boards) {
  std::vector<std::string> command = {
      TARNWICK_CLI_PATH,          "download", "--flash", file, "--baud",
      std::to_string(kPacedBaud), "--quiet"};
  for (int i = 0; i < boards; ++i) command.insert(command.end(), {"--port", "{port}"});
  return command;
}

class Runner {
 public:
  Runner(const Options& options, fs::path programs) : options_(options), dir_(programs) {}

  Figures Run(const char* name, const std::vector<std::string>& target,
              std::vector<std::string> host, std::vector<std::string> environment = {},
              bool pinned = true) {
    if (!options_.only.empty() &&
        options_.only.find(std::string(",") + name + ",") == std::string::npos) {
      return {};
    }
    fs::path program = dir_ / host[0];
    if (!fs::exists(program)) {
      std::fprintf(stderr, "%s: %s is not built, skipped\n", name, host[0].c_str());
      return {};
    }
    std::fprintf(stderr, "running %s (%s)...\n", name, host[0].c_str());
    host[0] = program.string();
    Scenario scenario{target, host, environment};
    if (pinned && options_.placement != "free") {
      scenario.hostCpu = 0;
      scenario.targetCpu = options_.placement == "split" ? 1 : 0;
    }
    Figures figures = RunScenario(scenario);
    if (figures["exit"] != "0") {
      std::fprintf(stderr, "%s: host exited with status %s\n", name, figures["exit"].c_str());
    }
    return figures;
  }

 private:
  const Options& options_;
  fs::path dir_;
};

int Main(int argc, char** argv) {
  Options options = ParseOptions(argc, argv);
  fs::path programs = fs::read_symlink("/proc/self/exe").parent_path();
  fs::path work = fs::temp_directory_path() / ("tarnwick-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  std::string hexFile = (work / "application.hex").string();
  std::string pacedFile = (work / "paced.hex").string();
  // Qt wants a private runtime folder, and says so on every start when there is none.
  std::string runtime = (work / "runtime").string();
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  WriteApplicationFile(hexFile, options.lines);
  WriteApplicationFile(pacedFile, kPacedLines);

  Runner runner(options, programs);
  const std::string wait = std::to_string(options.waitSeconds);
  BenchResults results;
  results.lines = options.lines;
  // The transfers take turns, round after round, so that a spell of load on the machine
  // falls on all of them alike; each reports its median round.
  std::vector<Figures> reference, engine, window;
  for (int round = 0; round < options.rounds; ++round) {
    reference.push_back(runner.Run("reference", kInstant,
                                   {"tarnwick_bench_reference", "transfer", "{port}", hexFile}));
    engine.push_back(
        runner.Run("engine", kInstant, {"tarnwick_bench_engine", "transfer", "{port}", hexFile}));
    window.push_back(runner.Run("window", kInstant, {"tarnwick_bench_window", "{port}", hexFile},
                                {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime}));
  }
  results.reference = MedianRun(reference, "target.transfer_ns");
  results.engine = MedianRun(engine, "target.transfer_ns");
  results.window = MedianRun(window, "target.transfer_ns");
  results.silent = runner.Run("silent", kSilent, {"tarnwick_bench_engine", "silent", "{port}"});
  results.noise = runner.Run("noise", kNoise, {"tarnwick_bench_engine", "noise", "{port}", wait});
  results.referenceNoise =
      runner.Run("noise", kNoise, {"tarnwick_bench_reference", "noise", "{port}", wait});
  results.pacedLines = kPacedLines;
  results.pacedBaud = kPacedBaud;
  results.oneBoard = runner.Run("cli", kPaced, CliDownload(pacedFile, 1), {}, false);
  results.eightBoards = runner.Run("cli", kPaced, CliDownload(pacedFile, kBoards), {}, false);
  fs::remove_all(work);

  PrintMachine();
  std::printf("Placement: %s; transfers: median of %d rounds\n", options.placement.c_str(),
              options.rounds);
  PrintReport(results, stdout);
  return 0;
}

}  // namespace
}  // namespace tarnwick::bench

int main(int argc, char** argv) {
  try {
    return tarnwick::bench::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tarnwick_bench: %s\n", error.what());
    return 1;
  }
}
