// The names of the record types in a dump, shared by its writer and reader.
#pragma once

#include <array>
#include <string_view>

namespace campdb::textform {

inline constexpr std::string_view kHeaderRecord = "header";
inline constexpr std::string_view kCampaignRecord = "campaign";
inline constexpr std::string_view kMapRecord = "map";
inline constexpr std::string_view kHexRecord = "hex";
inline constexpr std::string_view kPoliticalRecord = "political";
inline constexpr std::string_view kUnloadedRecord = "unloaded";
// The misc objects, by kind (ObjectKind's order).
inline constexpr std::array<std::string_view, 5> kObjectRecords = {"news", "character", "ship", "bid",
                                                                   "unrecognised"};

// The header's member that the restore recomputes when it is left out.
inline constexpr std::string_view kObjectCount = "objectCount";

}  // namespace campdb::textform
