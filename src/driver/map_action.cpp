// --map: the hex map of a database drawn as an SVG picture, written like
// every file the tool writes (a new file moved over the name once it is
// complete). Exit status: 0 written; 3 written from an incomplete load; 1
// the picture could not be written (or its name is the input itself); 2 the
// database cannot be opened or its layout cannot be told.
#include "console/console.h"
#include "console/progress.h"
#include "driver/actions.h"
#include "driver/loader.h"
#include "svgmap/svg_map.h"

namespace campdb {

int RunMap(const ActionRequest& request, std::ostream& out, Console& console) {
  const std::string& databaseName = request.files.at(0);
  const std::string& pictureName = request.files.at(1);
  const auto loaded = LoadForAction(databaseName, request.layout, true, console, request.progress);
  if (!loaded) return kActionNoInput;
  request.progress->Clear();
  const bool complete = loaded->outcome.Complete();
  if (!complete) {
    console.Diagnostic(
        Cat("warning: ", ShownName(databaseName, false), ": ", DescribeIncompleteLoad(loaded->outcome)));
  }

  const bool toOutput = IsStandardStream(pictureName);
  OutputFile picture;
  StreamSink standardOutput(out);
  if (!toOutput && !picture.OpenReplacing(pictureName, loaded->identity)) {
    console.Diagnostic(picture.Reason());
    return kActionFailed;
  }
  MapOptions options;
  options.shade = request.shade == Shade::Econ ? MapShade::Econ
                  : request.shade == Shade::Dv ? MapShade::Dv
                                               : MapShade::None;
  options.sourceName = databaseName;
  ByteWriter writer(toOutput ? static_cast<ByteSink*>(&standardOutput) : &picture);
  const MapSummary summary = DrawMap(loaded->db, options, writer);
  const bool flushed = writer.Flush();
  if (toOutput) {
    if (!flushed || !out.flush()) {
      console.Diagnostic("standard output: the picture could not be written");
      return kActionFailed;
    }
  } else if (!picture.Finish() || !flushed) {
    console.Diagnostic(picture.Reason());
    return kActionFailed;
  }
  if (!summary.gridDrawn) console.Diagnostic(Cat(ShownName(pictureName, true), ": ", summary.note));
  return complete ? kActionOk : kActionIncomplete;
}

}  // namespace campdb
