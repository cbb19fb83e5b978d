// --map: the hex map of a database drawn as an SVG picture, written like
// every file the tool writes (a new file moved over the name once it is
// complete). Exit status: 0 written; 3 written from an incomplete load; 1
// the picture could not be written (or its name is the input itself); 2 the
// database cannot be opened or its layout cannot be told.
#include "console/console.h"
#include "driver/actions.h"
#include "driver/loader.h"
#include "svgmap/svg_map.h"

namespace campdb {

int RunMap(const ActionRequest& request, std::ostream& /*out*/, Console& console) {
  const std::string& databaseName = request.files.at(0);
  const std::string& pictureName = request.files.at(1);
  const auto loaded = LoadForAction(databaseName, request.layout, true, console);
  if (!loaded) return kActionNoInput;
  const bool complete = loaded->outcome.Complete();
  if (!complete) {
    console.Diagnostic(Cat("warning: ", databaseName, ": ", DescribeIncompleteLoad(loaded->outcome)));
  }

  OutputFile picture;
  if (!picture.OpenReplacing(pictureName, loaded->identity)) {
    console.Diagnostic(picture.Reason());
    return kActionFailed;
  }
  MapOptions options;
  options.shade = request.shade == Shade::Econ ? MapShade::Econ
                  : request.shade == Shade::Dv ? MapShade::Dv
                                               : MapShade::None;
  options.sourceName = databaseName;
  ByteWriter out(&picture);
  const MapSummary summary = DrawMap(loaded->db, options, out);
  const bool flushed = out.Flush();
  if (!picture.Finish() || !flushed) {
    console.Diagnostic(picture.Reason());
    return kActionFailed;
  }
  if (!summary.gridDrawn) console.Diagnostic(Cat(pictureName, ": ", summary.note));
  return complete ? kActionOk : kActionIncomplete;
}

}  // namespace campdb
