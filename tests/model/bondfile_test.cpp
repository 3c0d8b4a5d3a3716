// The database file, byte for byte, and what the reader does with files that
// lie about themselves.

#include "examples/sample_data.h"
#include "model/archive.h"
#include "model/bondfile.h"
#include "model/date.h"
#include "model/text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace tenvix;

namespace {

std::string Hex(std::string_view bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

bool Load(std::string_view bytes, CBondList& list)
{
    return LoadBondDatabase(std::as_bytes(std::span(bytes.data(), bytes.size())), list);
}

std::string Header(std::int32_t a, std::int32_t b)
{
    ByteWriter w;
    w.WriteBytes({kBondFileMagic, 7});
    w.WriteI32(a);
    w.WriteI32(b);
    return w.Take();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(BondFile, EmptyDatabaseIsFifteenBytes)
{
    CBondList list;
    const std::string bytes = StoreBondDatabase(list);
    EXPECT_EQ(Hex(bytes), "54 65 6e 76 69 78 00 00 00 00 00 00 00 00 00");
    CBondList back;
    back.m_list.push_back(std::make_unique<CBondStd>(0));
    EXPECT_TRUE(Load(bytes, back));
    EXPECT_TRUE(back.m_list.empty());
    // A zero-length file is an empty database too.
    back.m_list.push_back(std::make_unique<CBondStd>(0));
    EXPECT_TRUE(Load("", back));
    EXPECT_TRUE(back.m_list.empty());
}

TEST(BondFile, TypeIRecordLayout)
{
    CBondList list;
    auto b = std::make_unique<CBondStd>(0);
    b->SetData(6, 5, 100, 98.5f, 37257, 37622, "A1", "");
    list.m_list.push_back(std::move(b));
    EXPECT_EQ(Hex(StoreBondDatabase(list).substr(15)),
              "00 00 00 00 00 00 a0 40 06 00 00 00 00 00 c8 42 00 00 c5 42 89 91 00 00 f6 92 00 00 02 41 31 00");
}

TEST(BondFile, TypeIIExampleIs46Bytes)
{
    CBondList list;
    auto b = std::make_unique<CBondFree>(0);
    b->m_nRelease = 37257;
    b->m_nMaturity = 37622;
    b->m_fPrice = 100;
    b->m_strID = "B";
    b->m_cashflows.push_back({37622, 110});
    list.m_list.push_back(std::move(b));
    const std::string bytes = StoreBondDatabase(list);
    EXPECT_EQ(Hex(bytes), "54 65 6e 76 69 78 00 01 00 00 00 01 00 00 00 01 00 00 00 89 91 00 00 f6 92 00 00 00 00 "
                          "c8 42 01 42 00 01 00 00 00 00 00 dc 42 f6 92 00 00");

    CBondList back;
    ASSERT_TRUE(Load(bytes, back));
    ASSERT_EQ(back.m_list.size(), 1u);
    const auto& free = dynamic_cast<const CBondFree&>(*back.m_list.front());
    EXPECT_EQ(free.m_strID, "B");
    EXPECT_EQ(free.m_nTimeLimit, 1900);
    EXPECT_EQ(free.m_cashflows, (std::vector<CASHFLOW>{{37622, 110}}));
}

TEST(BondFile, MixedListRoundTripsInOrder)
{
    const CBondList sample = MakeSampleDatabase();
    const std::string bytes = StoreBondDatabase(sample);
    CBondList back;
    ASSERT_TRUE(Load(bytes, back));
    ASSERT_EQ(back.m_list.size(), sample.m_list.size());
    auto it = back.m_list.begin();
    for (const auto& original : sample.m_list) {
        EXPECT_EQ((*it)->m_nType, original->m_nType);
        EXPECT_EQ((*it)->m_strID, original->m_strID);
        EXPECT_EQ((*it)->m_fPrice, original->m_fPrice);
        ++it;
    }
    EXPECT_EQ(StoreBondDatabase(back), bytes);
}

TEST(BondFile, BundledSampleComesFromItsGenerator)
{
    const std::string committed = ReadFile(TENVIX_SOURCE_DIR "/examples/sample.bnd");
    EXPECT_EQ(committed, StoreBondDatabase(MakeSampleDatabase()))
        << "examples/sample.bnd is stale: rebuild it with make_sample";
    const CBondList sample = MakeSampleDatabase();
    int typeII = 0;
    for (const auto& b : sample.m_list)
        typeII += b->m_nType == BOND_TYPE_FREE;
    EXPECT_GE(sample.m_list.size(), 25u);
    EXPECT_GE(typeII, 3);
}

TEST(BondFile, LongStringsUseTheWiderPrefixes)
{
    for (auto [length, prefix] : {std::pair{254u, std::string("fe")}, {255u, "ff ff 00"}, {300u, "ff 2c 01"},
                                  {65533u, "ff fd ff"}, {65534u, "ff ff ff fe ff 00 00"}, {70000u, "ff ff ff 70 11 01 00"}}) {
        ByteWriter w;
        w.WriteString(std::string(length, 'x'));
        const std::string bytes = w.Take();
        EXPECT_EQ(Hex(bytes.substr(0, prefix.size() / 3 + 1)), prefix) << length;
        ByteReader r(std::as_bytes(std::span(bytes.data(), bytes.size())));
        EXPECT_EQ(r.ReadString().size(), length);
        EXPECT_EQ(r.Remaining(), 0u);
    }
}

TEST(BondFile, TextIsWindows1252OnDisk)
{
    ByteWriter w;
    w.WriteString("Zürich €5 Œuvre");
    w.WriteString("日本");
    const std::string bytes = w.Take();
    EXPECT_EQ(Hex(bytes), "0f 5a fc 72 69 63 68 20 80 35 20 8c 75 76 72 65 02 3f 3f");
    ByteReader r(std::as_bytes(std::span(bytes.data(), bytes.size())));
    EXPECT_EQ(r.ReadString(), "Zürich €5 Œuvre");
    EXPECT_EQ(r.ReadString(), "??");
    // Every byte survives a trip through the program's text.
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(BondFile, WideStringsAreRead)
{
    // 0xFF, 0xFFFE, then a length in UTF-16 units and the text.
    const std::string wide = Bytes({0xff, 0xfe, 0xff, 3, 'B', 0, 0xfc, 0, 0xac, 0x20});
    ByteReader r(std::as_bytes(std::span(wide.data(), wide.size())));
    EXPECT_EQ(r.ReadString(), "Bü€");
    const std::string longer = Bytes({0xff, 0xfe, 0xff, 0xff, 2, 0, 'a', 0, 'b', 0});
    ByteReader r2(std::as_bytes(std::span(longer.data(), longer.size())));
    EXPECT_EQ(r2.ReadString(), "ab");
}

TEST(BondFile, MalformedFilesAreRefused)
{
    const std::string good = StoreBondDatabase(MakeSampleDatabase());
    const std::string bad[] = {
        "Tenvix",                                            // short magic
        std::string("Tenvix\x01", 7) + good.substr(7),       // non-zero seventh byte
        std::string("tenvix\0", 7) + good.substr(7),         // wrong case
        Header(2, 3),                                        // counts disagree
        Header(-1, -1),                                      // negative count
        Header(1, 1) + Bytes({7, 0, 0, 0}) + std::string(40, '\0'), // kind 7
        Header(2147483647, 2147483647) + std::string(5, '\0'),      // a count the file cannot hold
        Header(1, 1) + Bytes({1, 0, 0, 0}) + std::string(12, '\0') + Bytes({0, 0}) + Bytes({0xff, 0xff, 0xff, 0x7f}),
        Header(1, 1) + Bytes({1, 0, 0, 0}) + std::string(12, '\0') + Bytes({0, 0}) + Bytes({0, 0, 0, 0x80}),
        Header(1, 1) + Bytes({0, 0, 0, 0}) + std::string(24, '\0') + Bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}),
        Header(1, 1) + Bytes({0, 0, 0, 0}) + std::string(24, '\0') + Bytes({0xff, 0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f}),
    };
    for (const std::string& bytes : bad) {
        CBondList list;
        EXPECT_FALSE(Load(bytes, list)) << Hex(bytes.substr(0, 40));
    }
    // Unknown kind after good records: those read so far stay for the caller
    // to discard; the file is still refused.
    CBondList list;
    EXPECT_FALSE(Load(Header(1, 1) + Bytes({7, 0, 0, 0}) + std::string(40, '\0'), list));
    EXPECT_TRUE(list.m_list.empty());
}

TEST(BondFile, EveryTruncationIsRefused)
{
    const std::string good = StoreBondDatabase(MakeSampleDatabase());
    for (std::size_t n = 1; n < good.size(); ++n) {
        CBondList list;
        ASSERT_FALSE(Load(std::string_view(good).substr(0, n), list)) << n;
    }
    // Bytes after the last record are not read.
    CBondList list;
    EXPECT_TRUE(Load(good + "trailing", list));
}
