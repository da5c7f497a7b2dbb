#include "bench/scenario_runner.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tarnwick::bench {
namespace {

namespace fs = std::filesystem;

// Stand-ins for the target and the host, as shell scripts in a scratch folder.
class ScenarioRunnerTest : public ::testing::Test {
 protected:
  ScenarioRunnerTest() {
    char pattern[] = "/tmp/tarnwick-runner-test-XXXXXX";
    dir_ = mkdtemp(pattern);
    // The target names its port, serves until its input closes, then reports.
    Script("target", "echo port=/dev/fake-$1\ncat >/dev/null\necho records=3\n");
  }
  ~ScenarioRunnerTest() override { fs::remove_all(dir_); }

  std::string Script(const std::string& name, const std::string& body) {
    fs::path path = dir_ / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0700);
    return path.string();
  }

  std::string Target() const { return (dir_ / "target").string(); }

  fs::path dir_;
};

TEST_F(ScenarioRunnerTest, GivesTheHostTheTargetsPortAndKeepsBothSetsOfFigures) {
  std::string host =
      Script("host", "echo seen_port=$2\necho seen_other=$3\necho seen_env=$BENCH_TEST\n");
  Figures figures = RunScenario(
      Target(), Scenario{"instant", {host, "transfer", "{port}", "x{port}"}, {"BENCH_TEST=on"}});

  EXPECT_EQ(figures["seen_port"], "/dev/fake-instant");
  EXPECT_EQ(figures["seen_other"], "x{port}");  // only a whole argument is replaced
  EXPECT_EQ(figures["seen_env"], "on");
  EXPECT_EQ(figures["target.records"], "3");
  EXPECT_EQ(figures["exit"], "0");
  EXPECT_EQ(figures.count("records"), 0u);
}

TEST_F(ScenarioRunnerTest, ReportsTheHostsExitStatus) {
  std::string host = Script("host", "echo cpu_s=1\nexit 3\n");
  Figures figures = RunScenario(Target(), Scenario{"silent", {host}});
  EXPECT_EQ(figures["exit"], "3");
  EXPECT_EQ(figures["cpu_s"], "1");
}

TEST_F(ScenarioRunnerTest, RefusesATargetThatEndsWithoutNamingItsPort) {
  std::string mute = Script("mute", "echo starting\n");
  std::string host = Script("host", "true\n");
  EXPECT_THROW(RunScenario(mute, Scenario{"instant", {host}}), std::runtime_error);
}

}  // namespace
}  // namespace tarnwick::bench
