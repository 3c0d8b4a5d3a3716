// The database file, byte for byte, and what the reader does with files that
// lie about themselves.

#include "examples/generated.h"
#include "examples/sample_data.h"
#include "model/archive.h"
#include "model/bondfile.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <tuple>

#include <sys/resource.h>

#include <random>

using namespace tenvix;

namespace {

std::string Hex(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += "0123456789abcdef"[c >> 4];
        out += "0123456789abcdef"[c & 15];
    }
    return out;
}

using test::Bytes;
using test::Load;
using test::Span;

std::string Header(std::int32_t a, std::int32_t b)
{
    ByteWriter w;
    w.WriteBytes({kBondFileMagic, 7});
    w.WriteI32(a);
    w.WriteI32(b);
    return w.Take();
}

// One record of each kind, of which the test writes the rest.
const std::string kTypeI = Header(1, 1) + Bytes({0, 0, 0, 0}) + std::string(24, '\0');
const std::string kTypeII = Header(1, 1) + Bytes({1, 0, 0, 0}) + std::string(12, '\0') + Bytes({0, 0});

} // namespace

TEST(BondFile, EmptyDatabaseIsFifteenBytesOrNone)
{
    const std::string bytes = StoreBondDatabase(CBondList());
    EXPECT_EQ(Hex(bytes), "54 65 6e 76 69 78 00 00 00 00 00 00 00 00 00");
    for (std::string_view file : {std::string_view(bytes), std::string_view()}) {
        CBondList back;
        back.m_list.push_back(std::make_unique<CBondStd>(0));
        EXPECT_TRUE(Load(file, back));
        EXPECT_TRUE(back.m_list.empty());
    }
}

TEST(BondFile, RecordLayouts)
{
    CBondList list;
    auto first = std::make_unique<CBondStd>(0);
    first->SetData(6, 5, 100, 98.5f, 37257, 37622, "A1", "");
    list.m_list.push_back(std::move(first));
    EXPECT_EQ(Hex(StoreBondDatabase(list).substr(15)),
              "00 00 00 00 00 00 a0 40 06 00 00 00 00 00 c8 42 00 00 c5 42 89 91 00 00 f6 92 00 00 02 41 31 00");

    list.m_list.clear();
    list.m_list.push_back(test::FreeBond("B", 100, {{37622, 110}}, 37257));
    list.m_list.back()->m_strName.clear();
    EXPECT_EQ(Hex(StoreBondDatabase(list)),
              "54 65 6e 76 69 78 00 01 00 00 00 01 00 00 00 01 00 00 00 89 91 00 00 f6 92 00 00 00 00 "
              "c8 42 01 42 00 01 00 00 00 00 00 dc 42 f6 92 00 00");
}

TEST(BondFile, BundledSampleComesFromItsGeneratorAndRoundTrips)
{
    const std::string bytes = StoreBondDatabase(MakeSampleDatabase());
    EXPECT_EQ(test::SampleFile(), bytes) << "examples/sample.bnd is stale: rebuild it with make_sample";
    CBondList back;
    ASSERT_TRUE(Load(bytes, back));
    EXPECT_EQ(StoreBondDatabase(back), bytes);
    // Bytes after the last record are not read.
    EXPECT_TRUE(Load(bytes + "trailing", back));
}

TEST(BondFile, LongStringsUseTheWiderPrefixes)
{
    for (auto [length, prefix] : {std::pair{254u, std::string("fe")},
                                  {255u, "ff ff 00"},
                                  {300u, "ff 2c 01"},
                                  {65533u, "ff fd ff"},
                                  {65534u, "ff ff ff fe ff 00 00"},
                                  {70000u, "ff ff ff 70 11 01 00"}}) {
        ByteWriter w;
        w.WriteString(std::string(length, 'x'));
        const std::string bytes = w.Take();
        EXPECT_EQ(Hex(bytes.substr(0, prefix.size() / 3 + 1)), prefix) << length;
        ByteReader r(Span(bytes));
        EXPECT_EQ(r.ReadString().size(), length);
        EXPECT_EQ(r.Remaining(), 0u) << length;
    }
}

TEST(BondFile, TextIsWindows1252OnDiskAndUtf16IsRead)
{
    ByteWriter w;
    w.WriteString("Zürich €5 Œuvre");
    const std::string bytes = w.Take();
    EXPECT_EQ(Hex(bytes), "0f 5a fc 72 69 63 68 20 80 35 20 8c 75 76 72 65");
    ByteReader r(Span(bytes));
    EXPECT_EQ(r.ReadString(), "Zürich €5 Œuvre");

    // 0xFF, 0xFFFE, then a length in UTF-16 units in the same scheme, and the text.
    const std::string wide = Bytes({0xff, 0xfe, 0xff, 3, 'B', 0, 0xfc, 0, 0xac, 0x20}) +
                             Bytes({0xff, 0xfe, 0xff, 0xff, 2, 0, 'a', 0, 'b', 0});
    ByteReader rw(Span(wide));
    EXPECT_EQ(rw.ReadString(), "Bü€");
    EXPECT_EQ(rw.ReadString(), "ab");
}

TEST(BondFile, MalformedFilesAreRefused)
{
    const std::string good = StoreBondDatabase(MakeSampleDatabase());
    const std::string bad[] = {
        "Tenvix",                                                   // short magic
        std::string("Tenvix\x01", 7) + good.substr(7),              // non-zero seventh byte
        std::string("tenvix\0", 7) + good.substr(7),                // wrong case
        Header(2, 3),                                               // counts disagree
        Header(-1, -1),                                             // negative count
        Header(1, 1) + Bytes({7, 0, 0, 0}) + std::string(40, '\0'), // kind 7
        Header(2147483647, 2147483647) + std::string(5, '\0'),      // a count the file cannot hold
        kTypeII + Bytes({0xff, 0xff, 0xff, 0x7f}),                  // payment counts too large or negative
        kTypeII + Bytes({0, 0, 0, 0x80}),
        kTypeI + Bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}), // string lengths beyond the file
        kTypeI + Bytes({0xff, 0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f}),
    };
    for (const std::string& bytes : bad) {
        CBondList list;
        EXPECT_FALSE(Load(bytes, list)) << Hex(bytes.substr(0, 40));
    }
    // Records read before the fault stay for the caller to discard.
    CBondList one;
    one.m_list.push_back(std::make_unique<CBondStd>(0));
    const std::string record = StoreBondDatabase(one).substr(15);
    CBondList partial;
    EXPECT_FALSE(Load(Header(2, 2) + record + Bytes({7, 0, 0, 0}) + std::string(40, '\0'), partial));
    EXPECT_EQ(partial.m_list.size(), 1u);
    // A failed string read leaves the reader where it was.
    const std::string lying = Bytes({0xff, 0xff, 0xff, 0x00, 0x00, 0x01, 0x00, 'a'});
    ByteReader reader(Span(lying));
    EXPECT_THROW(reader.ReadString(), FormatError);
    EXPECT_EQ(reader.Offset(), 0u);
}

// The streaming commands read a file twice without a list: once to check it
// whole, then unit by unit into two reused records. Both must see exactly
// what loading sees.
TEST(BondFile, ReadingUnitByUnitGivesTheLoadedRecords)
{
    const std::string bytes = GenerateDatabase(500, 3, GeneratedMix::Everything);
    const auto index = IndexBondDatabase(Span(bytes), 64);
    ASSERT_TRUE(index);
    ASSERT_EQ(std::tuple(index->count, index->Units(), index->UnitSize(7)), std::tuple(500u, 8u, 500u - 7 * 64));

    // Units read out of order, each from its own start, rebuild the file.
    CBondList rebuilt;
    std::vector<CBondList::List> units(index->Units());
    for (std::size_t u : {3, 0, 7, 1, 6, 2, 5, 4}) {
        BondRecordReader reader(Span(bytes), index->unitStarts[u]);
        for (std::size_t k = 0; k < index->UnitSize(u); ++k)
            units[u].push_back(test::CopyOf(reader.Next()));
    }
    for (auto& unit : units)
        rebuilt.m_list.splice(rebuilt.m_list.end(), unit);
    EXPECT_EQ(StoreBondDatabase(rebuilt), bytes);

    EXPECT_EQ(IndexBondDatabase({}, 64)->count, 0u);
    EXPECT_EQ(IndexBondDatabase(Span(StoreBondDatabase(CBondList())), 64)->Units(), 0u);
}

// The check of a file read in pieces, from bytes in memory: every piece
// asked for is a copy of the bytes at its offset, the whole file holding
// `size` bytes but `bytes` perhaps fewer (a file cut short meanwhile). The
// largest piece asked for is kept in `largest`.
std::optional<BondFileIndex> IndexInPieces(std::string_view bytes, std::size_t unitRecords, std::size_t size,
                                           std::size_t* largest = nullptr)
{
    const BytePieces pieces = [&](std::size_t offset, std::span<std::byte> into) {
        if (largest)
            *largest = std::max(*largest, into.size());
        EXPECT_LE(offset + into.size(), size);
        const std::size_t n = offset < bytes.size() ? std::min(into.size(), bytes.size() - offset) : 0;
        std::memcpy(into.data(), bytes.data() + offset, n);
        return n;
    };
    return IndexBondDatabase(size, pieces, unitRecords);
}
std::optional<BondFileIndex> IndexInPieces(std::string_view bytes, std::size_t unitRecords)
{
    return IndexInPieces(bytes, unitRecords, bytes.size());
}

// A database far larger than a piece, with records that end exactly on a
// piece's edge, straddle one, or are larger than a piece (a name, a list of
// payments) is indexed in pieces as it is whole, holding at most a piece.
TEST(BondFile, TheCheckInPiecesIndexesAsTheWholeFile)
{
    CBondList list;
    ASSERT_TRUE(Load(GenerateDatabase(6000, 8, GeneratedMix::Everything), list));
    auto longName = std::make_unique<CBondStd>(0);
    longName->m_strName.assign(kCheckPieceBytes + 1234, 'n');
    auto longList = std::make_unique<CBondFree>(0);
    longList->m_cashflows.assign(kCheckPieceBytes / 8 * 3 + 5, CASHFLOW{47000, 2.5f});
    auto accented = std::make_unique<CBondStd>(0);
    accented->m_strName = "Z\xc3\xbcrich \xe2\x82\xac"; // stored narrow, read as any text
    auto at = list.m_list.begin();
    std::advance(at, 2500);
    list.m_list.insert(at, std::move(longName));
    list.m_list.insert(at, std::move(accented));
    std::advance(at, 1000);
    list.m_list.insert(at, std::move(longList));
    const std::string bytes = StoreBondDatabase(list);
    ASSERT_GT(bytes.size(), 5 * kCheckPieceBytes);

    const auto whole = IndexBondDatabase(Span(bytes), 100);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->end, bytes.size());
    std::size_t largest = 0;
    const auto pieces = IndexInPieces(bytes, 100, bytes.size(), &largest);
    ASSERT_TRUE(pieces);
    EXPECT_EQ(std::tuple(pieces->count, pieces->unitStarts, pieces->end),
              std::tuple(whole->count, whole->unitStarts, whole->end));
    EXPECT_LE(largest, kCheckPieceBytes);

    // Trailing bytes after the last record are no part of it.
    const auto trailing = IndexInPieces(bytes + "tail", 100);
    ASSERT_TRUE(trailing);
    EXPECT_EQ(trailing->end, bytes.size());
    // A file that ends before its size said, anywhere, is refused; so is one
    // whose size is cut, and the empty file is an empty database.
    for (const std::size_t cut : {std::size_t(3), std::size_t(14), kCheckPieceBytes - 1, kCheckPieceBytes,
                                  kCheckPieceBytes + 1, bytes.size() / 2, bytes.size() - 1}) {
        EXPECT_FALSE(IndexInPieces(std::string_view(bytes).substr(0, cut), 100, bytes.size())) << cut;
        EXPECT_FALSE(IndexInPieces(std::string_view(bytes).substr(0, cut), 100)) << cut;
    }
    EXPECT_EQ(IndexInPieces("", 100)->count, 0u);
    // What the pieces throw ends the check and reaches its caller.
    const BytePieces failing = [](std::size_t, std::span<std::byte>) -> std::size_t {
        throw std::runtime_error("EIO");
    };
    EXPECT_THROW(IndexBondDatabase(bytes.size(), failing, 100), std::runtime_error);
}

TEST(BondFile, TheCheckRefusesExactlyWhatLoadingRefuses)
{
    const std::string good = GenerateDatabase(40, 5, GeneratedMix::Everything);
    // Whether loading takes the bytes, and whether the check says the same.
    auto judge = [](std::string_view bytes) {
        CBondList list;
        const bool loaded = Load(bytes, list);
        return std::pair(loaded, IndexBondDatabase(Span(bytes), 7).has_value() == loaded &&
                                     IndexInPieces(bytes, 7).has_value() == loaded);
    };
    // A file cut anywhere before its end is refused by both.
    for (std::size_t n = 1; n < good.size(); ++n)
        ASSERT_EQ(judge(std::string_view(good).substr(0, n)), std::pair(false, true)) << "cut at " << n;
    // Single bytes changed anywhere: kinds, counts, string lengths, payment counts.
    std::mt19937 rng(17);
    int refused = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string bad = good;
        bad[rng() % bad.size()] = static_cast<char>(rng());
        if (i % 2)
            bad[7 + rng() % 16] = static_cast<char>(rng());
        const auto [loaded, agreed] = judge(bad);
        ASSERT_TRUE(agreed) << "case " << i;
        refused += !loaded;
    }
    EXPECT_GT(refused, 1000); // the changes did reach the checks
}

// AddressSanitizer and ThreadSanitizer reserve far more address space than the
// limit below. GCC says so with __SANITIZE_ADDRESS__ and __SANITIZE_THREAD__,
// clang 14 only through __has_feature.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TENVIX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TENVIX_UNDER_ASAN 1
#endif
#endif

#ifndef TENVIX_UNDER_ASAN
// Counts and lengths that lie are refused before anything is allocated for
// them: under a 256 MiB address-space limit a 16 GiB allocation would fail.
[[noreturn]] void RefuseUnderAddressLimit(std::span<const std::string> lies)
{
    const rlimit limit{256u << 20, 256u << 20};
    setrlimit(RLIMIT_AS, &limit);
    bool refused = true;
    for (const std::string& bytes : lies) {
        CBondList list;
        refused = refused && !Load(bytes, list);
    }
    std::exit(refused ? 0 : 1);
}

TEST(BondFileDeathTest, LiesAllocateNothing)
{
    const std::string lies[] = {
        Header(2147483647, 2147483647) + std::string(20, '\0'),
        kTypeII + Bytes({0xff, 0xff, 0xff, 0x7f}) + std::string(20, '\0'),
        kTypeI + Bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f}) + std::string(20, '\0'),
    };
    EXPECT_EXIT(RefuseUnderAddressLimit(lies), ::testing::ExitedWithCode(0), "");
}
#endif
