// What a run of vyx loads: the drawing, web and page-reading stacks, with
// their dozens of shared libraries, only for the commands that draw or go on
// the web.
#include <gtest/gtest.h>

#include "cli/VYXCliHomeTest.h"

namespace {

class CliStartTest : public VYXCliHomeTest {
 protected:
  // What the loader says it loaded during a run that must succeed.
  std::string Loaded(const std::vector<std::string>& args) {
    VYXRunOptions options;
    options.env = {{"LD_DEBUG", "files"}};
    VYXRunResult r = VYXRunVyx(args, options);
    EXPECT_EQ(0, r.exitCode) << r.err;
    return r.err;
  }
  static bool Has(const std::string& loaded, const std::string& library) {
    return loaded.find("file=" + library) != std::string::npos;
  }
};

const char* const kDrawing[] = {"libcairo.so", "libpango", "libfontconfig", "libfreetype",
                                "libharfbuzz", "libpixman", "libX11", "libglib"};

TEST_F(CliStartTest, OnlyTheCommandsThatDrawLoadTheDrawingStack) {
  MakeDossier({"Courant"});
  Ok({"ope", "ajouter", "Courant", "--date", "05/01/24", "--montant=-120", "--categorie",
      "Alimentation"});
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--version"}, {"soldes"}, {"ope", "liste", "Courant", "--json"},
        {"bilan", "Courant", "--du", "01/24"}}) {
    std::string loaded = Loaded(args);
    ASSERT_TRUE(Has(loaded, "libc.so")) << "the loader said nothing:\n" << loaded;
    for (const char* library : kDrawing) EXPECT_FALSE(Has(loaded, library)) << library << " by " << args[0];
    for (const char* library : {"libcurl", "libxml2", "liblzma"}) {
      EXPECT_FALSE(Has(loaded, library)) << library << " by " << args[0];
    }
  }
  std::string chart = (Folder() / "bilan.png").string();
  std::string loaded = Loaded({"bilan", "Courant", "--du", "01/24", "--graphique", chart});
  EXPECT_TRUE(Has(loaded, "libcairo.so"));
  EXPECT_TRUE(Has(loaded, "libfontconfig"));
  EXPECT_EQ(std::string("\x89PNG", 4), VYXReadFile(chart).substr(0, 4));
}

}  // namespace
