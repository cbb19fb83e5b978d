// The campaign info files, refreshed whenever an output database is written.
#pragma once

#include <optional>

#include "format/campaign.h"
#include "format/layout.h"
#include "maintenance/output_file.h"

namespace campdb {

class Console;

// Produces "camp.info" and "version.info" in the current working folder from
// the campaign record as it is being written, telling the operator about
// each. Neither may be the file `input`.
void WriteInfoFiles(const tCampaignObject& campaign, Layout layout, const std::optional<FileIdentity>& input,
                    Console& console);

}  // namespace campdb
