// The options file written here must open in other ZIP readers with the
// options password, and the archive tool must print its text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "scrolling/options/options_storage.h"
#include "tests/support/product/use_product_texts.h"
#include "tests/support/store/memory_record_store.h"

namespace fs = std::filesystem;

namespace {

class OptionsInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    UseProductTexts();
    dir_ = fs::temp_directory_path() / ("options_interop_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::unique_ptr<Options> o(new Options());
    SetFactoryOptions(*o);
    ASSERT_EQ(LoadSaveOptionsWith(store_, *o, 1), 1);
    const auto& bytes = store_.At("Options.oqc");
    file_ = (dir_ / "Options.oqc").string();
    std::ofstream(file_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // The command's standard output, or "<failed>" on a nonzero exit.
  static std::string Output(const std::string& command) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return "<failed>";
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    return ::pclose(p) == 0 ? out : "<failed>";
  }
  test_support::CMemoryRecordStore store_;
  fs::path dir_;
  std::string file_;
};

TEST_F(OptionsInterop, PythonZipfileReadsEntryOneWithThePassword) {
  const std::string script = (dir_ / "check.py").string();
  std::ofstream(script) << "import sys, zipfile\n"
                           "z = zipfile.ZipFile(sys.argv[1])\n"
                           "z.setpassword(sys.argv[2].encode())\n"
                           "names = z.namelist()\n"
                           "data = z.read('1')\n"
                           "records = data.split(b'\\x00\\r\\n')\n"
                           "print(names, records[0].decode(), len(records) - 1, records[-1] == b'')\n";
  EXPECT_EQ(Output("python3 " + script + " " + file_ + " " + kOptionsArchivePassword),
            "['1'] bAutoStart=0 1667 True\n");
  EXPECT_EQ(Output("python3 " + script + " " + file_ + " wrongpassword 2>/dev/null"), "<failed>");
}

#ifdef VELTRANO_ZIP_TOOL
TEST_F(OptionsInterop, ArchiveToolPrintsTheText) {
  const std::string out = Output(std::string(VELTRANO_ZIP_TOOL) + " options " + file_);
  ASSERT_EQ(out.compare(0, 25, "# version 1\nbAutoStart=0\n"), 0) << out.substr(0, 200);
  EXPECT_NE(out.find("\nPar[10].szParName=(All Others)\n"), std::string::npos);
  std::size_t lines = 0;
  for (char c : out) lines += c == '\n';
  EXPECT_EQ(lines, 1u + 1667u);
}
#endif

}  // namespace
