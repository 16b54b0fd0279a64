#include "extraction_check.h"

#include <windows.h>

#include <cstring>

#include "core/installer_state.h"
#include "core/messages.h"
#include "payload/archive_format.h"
#include "payload/copy_dialog.h"
#include "payload/destination_path.h"
#include "payload/payload_reader.h"
#include "scratch.h"
#include "shell/class_names.h"
#include "tools/pack/payload_checksum.h"
#include "ui/dialog_ids.h"
#include "ui/run_dialog.h"
#include "win32sim/testapi.h"

namespace {

// Bounds what one input can put on disk (a small stream may inflate a
// thousandfold); a full disk is one of the failures the copy reports. The
// disk claims plenty, so that whatever the header's total, the copy runs.
const long long kScratchDiskSpace = 8 << 20;
const long long kReportedDiskSpace = 1LL << 40;

// The part of a message text before its first format directive.
std::string FixedPart(const char *key) {
  std::string text = GetMessageText(key);
  return text.substr(0, text.find('%'));
}

void RequireOneFailureMessage() {
  const auto &boxes = sim::MessageBoxes();
  Require(boxes.size() == 1, "a failed extraction shows exactly one message", std::to_string(boxes.size()));
  const std::string &text = boxes[0].text;
  bool known = text == GetMessageText("corData") || text == GetMessageText("errDest2") ||
               text.rfind(FixedPart("errDest"), 0) == 0;
  Require(known, "the message of a failed extraction is corData, errDest or errDest2", text);
}

void RequireEverythingReleased() {
  Require(sim::LoadedResources() == 0, "payload resource freed");
  Require(sim::LiveBlocks() == 0, "every global block freed", std::to_string(sim::LiveBlocks()));
  Require(sim::OpenFileHandles() == 0, "every file closed");
  Require(sim::TimersNeverKilled() == 0, "the copy timer killed");
  Require(sim::LiveDeviceContexts() == 0, "every device context released");
  Require(sim::OpenRegistryKeys() == 0, "every registry key closed");
  Require(sim::LiveSecurityDescriptors() == 0, "every security descriptor freed");
  Require(sim::DialogFaults().empty(), "no misuse of the dialog manager",
          sim::DialogFaults().empty() ? "" : sim::DialogFaults()[0]);
  Require(sim::GdiFaults().empty(), "no misuse of GDI", sim::GdiFaults().empty() ? "" : sim::GdiFaults()[0]);
}

bool IsMarkerRecordName(const std::string &name) {
  const std::string marker = "DEF.TVD";
  if (name.size() != marker.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if ((name[i] >= 'a' && name[i] <= 'z' ? name[i] - 'a' + 'A' : name[i]) != marker[i]) return false;
  return true;
}

// Every file left below the destination is one the uninstall finds again:
// it reads a record's '$' as a folder separator and DEF.TVD as no file.
void RequireEveryFileRecordedAsItIs(const std::string &destination) {
  const std::string inside = destination + "\\";
  for (const std::string &file : sim::ListFiles()) {
    if (file.rfind(inside, 0) != 0) continue;
    std::string relative = file.substr(inside.size());
    Require(relative.find('$') == std::string::npos, "no file name holds a '$', which a record reads back as '\\'",
            relative);
    Require(!IsMarkerRecordName(relative), "no file is DEF.TVD, which a record reads back as no file", relative);
    std::string record = relative;
    for (char &c : record)
      if (c == '\\') c = '$';
    Require(sim::RegistryKeyExists(HKEY_CLASSES_ROOT, std::string(kInstalledKey) + "\\" + record),
            "every file left has its record", record);
  }
}

}  // namespace

void ExtractAndCheck(const std::string &resourceBytes) {
  StartInput();
  // With its checksum, as the pack tool writes it: the reader's own checks are the target.
  sim::SetResource(kPayloadResourceType, kPayloadResourceName, resourceBytes);
  sim::SetResource(kPayloadResourceType, kChecksumResourceName, ChecksumResourceFor(resourceBytes));
  sim::SetDiskSpace(kScratchDiskSpace);
  sim::SetDiskReport({kReportedDiskSpace});
  strcpy(g_destinationDir, kScratchDestination);

  PayloadOpenResult opened = OpenPayload(nullptr);
  if (opened == kPayloadOpened) {
    Require(CreateDestinationPath() == kDestinationCreated, "the scratch destination can be created");
    LONG result = RunDialog(nullptr, kCopyDialogId, nullptr, CopyDialogProc);
    ClosePayload();
    Require(result == 0 || result == -1, "the copy dialog ends with 0 or -1", std::to_string(result));
    if (result == 0) {
      Require(sim::MessageBoxes().empty(), "a complete extraction shows no message");
    } else {
      RequireOneFailureMessage();
    }
    Require(g_extractionGuard == 0, "the extraction guard lowered");
  } else {
    // Present and lockable, so only its bytes can be at fault.
    Require(opened == kPayloadCorrupt, "a payload that cannot be opened is corrupt", std::to_string(opened));
    Require(sim::MessageBoxes().empty(), "opening shows nothing itself");
  }
  RequireEverythingReleased();
  RequireNothingOutside(kScratchDestination);
  RequireEveryFileRecordedAsItIs(kScratchDestination);
}
