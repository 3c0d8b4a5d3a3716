// The floors of the program, read from its sources: every include of a
// project header must point to the including file's own folder or to a floor
// below it, never up and never sideways, and the core and the command line
// include no Qt. Every target sees the project's root, so nothing but this
// keeps a window from reaching into another.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Floor {
    std::string folder;
    std::set<std::string> mayInclude; // besides its own folder
    bool qt;                          // may include Qt headers
};

// From the bottom up. A folder nested in another (portfolio/core) is its own
// floor, matched before the folder around it.
const std::vector<Floor> kFloors = {
    {"model", {}, false},
    {"portfolio/core", {"model"}, false},
    {"curve", {"model"}, false},
    {"examples", {"model"}, false},
    {"cli", {"curve", "portfolio/core", "model"}, false},
    {"fuzz", {"examples", "portfolio/core", "model"}, false},
    {"uikit", {"portfolio/core", "model"}, true},
    {"editor", {"uikit", "portfolio/core", "model"}, true},
    {"analysis", {"uikit", "portfolio/core", "model"}, true},
    {"portfolio", {"uikit", "portfolio/core", "model"}, true},
    {"explain", {"uikit", "portfolio/core", "model"}, true},
    {"prices", {"uikit", "portfolio/core", "model"}, true},
    {"bondimport", {"uikit", "portfolio/core", "model"}, true},
    {"market", {"uikit", "curve", "portfolio/core", "model"}, true},
    {"shell",
     {"editor", "analysis", "portfolio", "explain", "prices", "bondimport", "market", "uikit", "curve",
      "portfolio/core", "model"},
     true},
    {"res", {}, true},
    // Measurements sit beside the program, not under it: they may time any floor.
    {"bench",
     {"cli", "shell", "editor", "analysis", "portfolio", "explain", "prices", "bondimport", "market", "uikit",
      "examples", "curve", "portfolio/core", "model"},
     true},
};

// Whose sources are not part of the floors: the tests reach every floor.
const std::set<std::string> kOutside = {"tests", "build", "docs", "scripts"};

const Floor* FloorOf(const std::string& path)
{
    const Floor* best = nullptr;
    for (const Floor& f : kFloors)
        if (path.starts_with(f.folder + "/") && (!best || f.folder.size() > best->folder.size()))
            best = &f;
    return best;
}

struct Include {
    int line;
    std::string target;
    bool quoted;
};

std::vector<Include> IncludesOf(const fs::path& file)
{
    std::vector<Include> out;
    std::ifstream in(file);
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        std::size_t i = text.find_first_not_of(" \t");
        if (i == std::string::npos || text[i] != '#')
            continue;
        i = text.find_first_not_of(" \t", i + 1);
        if (i == std::string::npos || text.compare(i, 7, "include") != 0)
            continue;
        i = text.find_first_not_of(" \t", i + 7);
        if (i == std::string::npos || (text[i] != '"' && text[i] != '<'))
            continue;
        const char close = text[i] == '"' ? '"' : '>';
        const std::size_t end = text.find(close, i + 1);
        if (end == std::string::npos)
            continue;
        out.push_back({line, text.substr(i + 1, end - i - 1), close == '"'});
    }
    return out;
}

bool IsSource(const fs::path& p)
{
    const std::string ext = p.extension().string();
    return ext == ".cpp" || ext == ".h";
}

// The project's sources, relative to its root, with the folders outside the
// floors, hidden folders and build trees left out.
std::vector<std::string> Sources(const fs::path& root)
{
    std::vector<std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path rel = fs::relative(it->path(), root);
        const std::string first = rel.begin()->string();
        if (it->is_directory()) {
            const std::string name = it->path().filename().string();
            if (kOutside.contains(first) || name.starts_with(".") || name.starts_with("build") ||
                fs::exists(it->path() / "CMakeCache.txt"))
                it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && IsSource(it->path()) && rel.has_parent_path())
            out.push_back(rel.generic_string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// What is wrong with one include of `file`, or nothing.
std::string Fault(const fs::path& root, const std::string& file, const Floor& floor, const Include& inc)
{
    const std::string where = file + ":" + std::to_string(inc.line) + " includes " + inc.target + ": ";
    if (!inc.quoted) {
        const bool qt = inc.target.starts_with("Q") || inc.target.starts_with("qt");
        return qt && !floor.qt ? where + floor.folder + " is standard C++ only" : std::string();
    }
    if (inc.target.ends_with(".moc"))
        return {}; // the meta-object code of the file itself
    const Floor* to = FloorOf(inc.target);
    if (!to || !fs::exists(root / inc.target))
        return where + "project headers are named from the project's root";
    if (to == &floor || floor.mayInclude.contains(to->folder))
        return {};
    return where + floor.folder + " may not include " + to->folder + " (up or sideways)";
}

std::vector<std::string> Faults(const fs::path& root)
{
    std::vector<std::string> faults;
    for (const std::string& file : Sources(root)) {
        const Floor* floor = FloorOf(file);
        if (!floor) {
            faults.push_back(file + ": a folder with no floor; give it one in this test");
            continue;
        }
        for (const Include& inc : IncludesOf(root / file))
            if (std::string f = Fault(root, file, *floor, inc); !f.empty())
                faults.push_back(f);
    }
    return faults;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

TEST(Floors, NoIncludeRunsUpOrSideways)
{
    const fs::path root = TENVIX_SOURCE_DIR;
    ASSERT_TRUE(fs::exists(root / "model" / "bond.h")) << root;
    const std::vector<std::string> sources = Sources(root);
    // The walk found the program, so a clean result means something.
    for (const char* known : {"model/bond.cpp", "uikit/services.cpp", "editor/inview.cpp", "shell/mainframe.cpp",
                              "portfolio/portfoliodlg.cpp", "portfolio/core/suggest.cpp", "cli/main.cpp"})
        EXPECT_TRUE(std::find(sources.begin(), sources.end(), known) != sources.end()) << known;
    const std::vector<std::string> faults = Faults(root);
    EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(Floors, TheRuleCatchesWhatItIsFor)
{
    // The rule itself, on includes made up for the purpose.
    const fs::path root = TENVIX_SOURCE_DIR;
    const Floor& editor = *FloorOf("editor/x.cpp");
    const Floor& core = *FloorOf("portfolio/core/x.cpp");
    EXPECT_EQ(core.folder, "portfolio/core");
    EXPECT_EQ(FloorOf("portfolio/x.cpp")->folder, "portfolio");
    EXPECT_EQ(FloorOf("tests/x.cpp"), nullptr);

    EXPECT_EQ(Fault(root, "editor/x.cpp", editor, {1, "uikit/services.h", true}), "");
    EXPECT_EQ(Fault(root, "editor/x.cpp", editor, {1, "portfolio/core/suggest.h", true}), "");
    EXPECT_NE(Fault(root, "editor/x.cpp", editor, {1, "shell/mainframe.h", true}), "");        // up
    EXPECT_NE(Fault(root, "editor/x.cpp", editor, {1, "portfolio/portfoliodlg.h", true}), ""); // sideways
    EXPECT_NE(Fault(root, "editor/x.cpp", editor, {1, "inview.h", true}), "");                 // not from the root
    EXPECT_NE(Fault(root, "portfolio/core/x.cpp", core, {1, "portfolio/portfoliodlg.h", true}), "");
    EXPECT_NE(Fault(root, "portfolio/core/x.cpp", core, {1, "QString", false}), "");
    EXPECT_EQ(Fault(root, "portfolio/core/x.cpp", core, {1, "string", false}), "");
    EXPECT_EQ(Fault(root, "editor/x.cpp", editor, {1, "QString", false}), "");
}

} // namespace
