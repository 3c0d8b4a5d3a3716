#pragma once

// Made-up databases of any size for tests and benchmarks. The same count and
// seed give the same bytes on every machine.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tenvix {

enum class GeneratedMix {
    // Type I bonds only, paying every 3, 6 or 12 months and maturing 1 to 30
    // years after the stand date, fairly priced: a large ordinary database.
    TypeI,
    // Half Type I bonds as above, half Type II loans of forty quarterly
    // payments, fairly priced: the engine's two walks in equal measure.
    Mixed,
    // Both kinds and every case a reader or the analysis tells apart: matured
    // and unissued bonds, prices no yield reaches, terms no valuation can use,
    // payments before the stand date, texts that need quoting or are not
    // ASCII, amounts of every magnitude, dates outside the date span.
    Everything,
    // A market to fit a curve to: nine in ten coupon bonds paying every 3, 6
    // or 12 months and maturing within 40 years of the stand date, one in ten
    // zero-coupon notes (Type II, one payment at maturity), priced off a smooth
    // curve with a spread of up to about 25 basis points each.
    Market,
};

// The day the generated bonds are analysed on, 6 December 2026, and a horizon
// five years later.
inline constexpr std::int32_t kGeneratedStand = 46362;
inline constexpr std::int32_t kGeneratedHorizon = 48188;
inline constexpr const char* kGeneratedStandText = "2026-12-06";
inline constexpr const char* kGeneratedHorizonText = "2031-12-06";

// The whole database file, written record by record: making a million bonds
// costs the file's bytes, not a list.
std::string GenerateDatabase(std::size_t count, std::uint32_t seed, GeneratedMix mix);

} // namespace tenvix
