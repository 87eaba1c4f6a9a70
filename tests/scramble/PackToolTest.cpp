// Runs the built pelmora-pack binary on a scratch source tree.

#include "scramble/Package.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;
using namespace pelmora::scramble;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void spill(const fs::path& path, const std::string& data) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << data;
}

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class PackTool : public ::testing::Test {
protected:
    void SetUp() override {
        std::string templ = (fs::temp_directory_path() / "pelmora-pack-XXXXXX").string();
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        dir_ = templ;
    }
    void TearDown() override { fs::remove_all(dir_); }

    ToolRun pack(const std::string& args) {
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        const std::string cmd = quote(PELMORA_PACK_BINARY) + " " + args + " >" + quote(out.string()) + " 2>" +
                                quote(err.string());
        const int raw = std::system(cmd.c_str());
        ToolRun r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(out);
        r.err = slurp(err);
        return r;
    }

    fs::path dir_;
};

}  // namespace

TEST_F(PackTool, BuildListExtractRoundTrip) {
    const fs::path src = dir_ / "src";
    std::string binary;
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    spill(src / "assets/b.png", binary);
    spill(src / "assets/a.txt", "alpha\r\nbeta\n");
    spill(src / "assets/empty.txt", "");
    spill(src / "assets/tavoli/game1.txt", "table");
    spill(src / "assets/Z.txt", "upper case sorts first");
    spill(src / "not-assets.txt", "left out");
    const fs::path dat = dir_ / "assets.dat";

    const ToolRun built = pack("build " + quote(src.string()) + " " + quote(dat.string()));
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_FALSE(fs::exists(dir_ / "assets.dat.tmp"));

    const ToolRun listed = pack("list " + quote(dat.string()));
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "assets/Z.txt\t22\n"
              "assets/a.txt\t12\n"
              "assets/b.png\t256\n"
              "assets/empty.txt\t0\n"
              "assets/tavoli/game1.txt\t5\n");

    for (const auto& [name, data] : std::initializer_list<std::pair<const char*, std::string>>{
             {"assets/b.png", binary}, {"assets/a.txt", "alpha\r\nbeta\n"}, {"assets/empty.txt", ""}}) {
        const ToolRun got = pack("extract " + quote(dat.string()) + " " + quote(name));
        EXPECT_EQ(got.status, 0) << got.err;
        EXPECT_EQ(got.out, data) << name;
    }

    // The game's reader sees the same entries under the shared key.
    const std::string file = slurp(dat);
    const PackageReader reader(Bytes(file.begin(), file.end()), packageKey());
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(reader.read("assets/tavoli/game1.txt"), Bytes({'t', 'a', 'b', 'l', 'e'}));
    EXPECT_FALSE(reader.read("not-assets.txt"));

    const ToolRun missing = pack("extract " + quote(dat.string()) + " assets/nothing.png");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("assets/nothing.png"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());
}

TEST_F(PackTool, RefusesNamesTheGameCouldNotFind) {
    const fs::path dat = dir_ / "out.dat";

    const fs::path blank = dir_ / "blank";
    spill(blank / "assets/ok.txt", "x");
    spill(blank / "assets/trailing ", "x");
    const ToolRun r1 = pack("build " + quote(blank.string()) + " " + quote(dat.string()));
    EXPECT_NE(r1.status, 0);
    EXPECT_NE(r1.err.find("assets/trailing "), std::string::npos) << r1.err;
    EXPECT_NE(r1.err.find("blank"), std::string::npos) << r1.err;
    EXPECT_FALSE(fs::exists(dat));

    const fs::path longer = dir_ / "long";
    // "assets/" + 200 + "/" + 49 = 257 bytes; each path component stays legal.
    spill(longer / "assets" / std::string(200, 'd') / std::string(49, 'f'), "x");
    const ToolRun r2 = pack("build " + quote(longer.string()) + " " + quote(dat.string()));
    EXPECT_NE(r2.status, 0);
    EXPECT_NE(r2.err.find("257 bytes"), std::string::npos) << r2.err;
    EXPECT_FALSE(fs::exists(dat));

    const fs::path exact = dir_ / "exact";
    spill(exact / "assets" / std::string(200, 'd') / std::string(48, 'f'), "256");
    const ToolRun r3 = pack("build " + quote(exact.string()) + " " + quote(dat.string()));
    EXPECT_EQ(r3.status, 0) << r3.err;
    EXPECT_EQ(pack("list " + quote(dat.string())).out,
              "assets/" + std::string(200, 'd') + "/" + std::string(48, 'f') + "\t3\n");
}

TEST_F(PackTool, RefusesDamagedPackagesAndBadUsage) {
    const fs::path src = dir_ / "src";
    spill(src / "assets/a.txt", "some text that is long enough to fill the directory");
    const fs::path dat = dir_ / "assets.dat";
    ASSERT_EQ(pack("build " + quote(src.string()) + " " + quote(dat.string())).status, 0);

    std::string file = slurp(dat);
    file[file.size() - 5] ^= 0x01;  // inside the directory, near its end
    spill(dat, file);
    const ToolRun listed = pack("list " + quote(dat.string()));
    EXPECT_NE(listed.status, 0);
    EXPECT_NE(listed.err.find("checksum"), std::string::npos) << listed.err;
    EXPECT_TRUE(listed.out.empty());
    EXPECT_NE(pack("extract " + quote(dat.string()) + " assets/a.txt").status, 0);

    EXPECT_NE(pack("list " + quote((dir_ / "absent.dat").string())).status, 0);
    EXPECT_NE(pack("build " + quote((dir_ / "no-such-dir").string()) + " " + quote(dat.string())).status, 0);
    const ToolRun usage = pack("unpack");
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("usage"), std::string::npos);
}
