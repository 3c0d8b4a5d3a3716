// Identifiers and names come from other people's files: every report writes
// them so that a spreadsheet does not run them as a formula and a terminal
// does not act on them, while export keeps them as they are.

#include "clirun.h"

#include "../model/testbonds.h"

#include "model/bondfile.h"
#include "model/format.h"
#include "portfolio/core/portfoliofile.h"

#include <cctype>

using namespace tenvix;

namespace {

// One table, not parameterised cases: a case's name would be printed from
// its strings' bytes, which differ from run to run.
TEST(ReportText, IsWrittenSafely)
{
    const std::pair<std::string, std::string> cases[] = {
        {"GOV-2034", "GOV-2034"},
        {"Zürich\u00a0AG", "Zürich\u00a0AG"},
        {"", ""},
        {"=1+2", "'=1+2"},
        {"+1", "'+1"},
        {"-0.5", "'-0.5"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\\x09x"},
        {"\rx", "'\\x0Dx"},
        {"=a,\"b\"", "\"'=a,\"\"b\"\"\""},
        {"a\nb\r\n", "a\\x0Ab\\x0D\\x0A"},
        {"red\x1b[31m\x7f", "red\\x1B[31m\\x7F"},
        {std::string("n\0l", 3), "n\\x00l"},
        {"csi\u009b2J\u0081", "csi\\xC2\\x9B2J\\xC2\\x81"},
    };
    for (const auto& [text, written] : cases) {
        std::string out;
        AppendReportText(out, text);
        EXPECT_EQ(out, written) << text;
    }
}

using Cli = test::CliTest;

// Every report of a database whose texts begin as formulas and hold control
// characters: each text field carries the apostrophe and no control
// character reaches the output, where export writes the texts as stored.
TEST_F(Cli, ReportsWriteTextsSafelyAndExportAsStored)
{
    CBondList list;
    ASSERT_TRUE(test::Load(test::SampleFile(), list));
    for (auto& bond : list.m_list) {
        bond->m_strID = "=" + bond->m_strID;
        // U+0081: a byte the code page leaves undefined, stored as it came.
        bond->m_strName = "-" + bond->m_strName + "\x1b[2J\u0081";
    }
    const std::string db = Write("hostile.bnd", StoreBondDatabase(list));
    const std::string bdp = WritePortfolio("p.bdp", {{"=GOV-2034-A", 10.0}});
    const std::string exportedText = Run("export " + db).out;
    const std::string bonds = Write("bonds.csv", exportedText);

    for (const std::string& command :
         {"analyse " + db + kDates, "suggest " + db + kDates, "portfolio " + db + " " + bdp + kDates,
          "portfolio --table " + db + " " + bdp + kDates, "explain " + db + " =GOV-2034-A" + kDates,
          "prices " + db + " " + Write("p.csv", "=GOV-2034-A;101\n@SUM(1);99\n"),
          "immunize " + db + " --stand 2025-06-30 --horizon 2032-06-30 --amount 1e6", "import " + db + " " + bonds}) {
        const std::string r = Output(command);
        EXPECT_NE(r.find("'="), std::string::npos) << command << "\n" << r;
        for (const std::string& line : Lines(r)) {
            // A field that begins as a formula, a minus sign before a
            // number aside.
            for (const std::string& f : Fields(line)) {
                const bool number = f.size() > 1 && f[0] == '-' && std::isdigit(static_cast<unsigned char>(f[1]));
                EXPECT_TRUE(number || f.empty() || std::string("=@-").find(f[0]) == std::string::npos)
                    << command << "\n"
                    << line;
            }
            EXPECT_EQ(line.find('\x1b'), std::string::npos) << command << "\n" << line;
            EXPECT_EQ(line.find("\u0081"), std::string::npos) << command << "\n" << line;
        }
    }
    EXPECT_NE(exportedText.find("\r\nI,=TSY-2028-S,-Treasury 3 7/8% Nov 2028\x1b[2J\u0081,"), std::string::npos)
        << exportedText;
}

} // namespace
