// A fixture for running the real `vyx` with its preferences and data folders
// in a temporary home, in dossiers made there.
#ifndef VYX_TESTS_CLI_VYXCLIHOMETEST_H_
#define VYX_TESTS_CLI_VYXCLIHOMETEST_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "support/VYXTestSupport.h"

class VYXCliHomeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    ::setenv("HOME", home_.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home_.Path() / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home_.Path() / "data").c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

  // Runs vyx and expects it to succeed.
  VYXRunResult Ok(const std::vector<std::string>& args) {
    VYXRunResult r = VYXRunVyx(args);
    EXPECT_EQ(0, r.exitCode) << Joined(args) << "\n" << r.err;
    return r;
  }
  // Runs vyx and expects it to refuse (exit 1) with nothing on stdout.
  VYXRunResult Refused(const std::vector<std::string>& args) {
    VYXRunResult r = VYXRunVyx(args);
    EXPECT_EQ(1, r.exitCode) << Joined(args) << "\n" << r.out;
    EXPECT_EQ("", r.out) << Joined(args);
    return r;
  }
  // Runs vyx and expects it to refuse with exactly `message` on stderr.
  void Refused(const std::vector<std::string>& args, const std::string& message) {
    EXPECT_EQ(message, Refused(args).err) << Joined(args);
  }
  // Runs vyx with --json and parses what it printed.
  nlohmann::json Json(std::vector<std::string> args) {
    args.push_back("--json");
    VYXRunResult r = Ok(args);
    try {
      return nlohmann::json::parse(r.out);
    } catch (const std::exception&) {
      ADD_FAILURE() << Joined(args) << " printed no JSON:\n" << r.out;
      return nullptr;
    }
  }
  static std::string Joined(const std::vector<std::string>& args) {
    std::string s = "vyx";
    for (const auto& a : args) s += " " + a;
    return s;
  }
  // A new dossier "Maison" with the given accounts, in its own folder; its
  // lists are the starter ones, or none when the fixture sets emptyLists_.
  std::string MakeDossier(std::initializer_list<const char*> comptes) {
    std::filesystem::create_directories(Folder());
    std::string dossier = (Folder() / "Maison.grp").string();
    std::vector<std::string> creer{"dossier", "creer", dossier};
    if (emptyLists_) creer.push_back("--vide");
    Ok(creer);
    for (const char* c : comptes) Ok({"compte", "creer", c});
    return dossier;
  }
  std::filesystem::path Folder() const { return home_.Path() / "compta"; }
  // Every file under the home, with its bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home_.Path())) {
      if (entry.is_regular_file()) files[entry.path().string()] = VYXReadFile(entry.path());
    }
    return files;
  }

  VYXTempDir home_;
  bool emptyLists_ = false;  // MakeDossier makes its dossiers with --vide
  std::map<std::string, std::optional<std::string>> saved_;
};

#endif  // VYX_TESTS_CLI_VYXCLIHOMETEST_H_
