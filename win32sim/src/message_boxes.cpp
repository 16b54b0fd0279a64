// Message boxes: recorded, answered by the test's script (IDOK by default),
// optionally letting timer messages through to the dialog below.
#include <windows.h>

#include <map>

#include "dialog_internal.h"
#include "event_log.h"
#include "win32sim/testapi.h"

namespace {

std::vector<sim::MessageBoxRecord> g_boxes;
std::map<int, sim::MessageBoxAnswer> g_answers;

}  // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  int index = static_cast<int>(g_boxes.size());
  sim::MessageBoxAnswer answer;
  auto scripted = g_answers.find(index);
  if (scripted != g_answers.end()) answer = scripted->second;
  // Windows shows "Error" for a null caption.
  g_boxes.push_back(sim::MessageBoxRecord{owner, text ? text : "", caption ? caption : "Error", flags,
                                          sim::TopDialogTemplateId(), answer.result});
  sim::LogEvent("message " + g_boxes.back().text);
  // The box runs its own modal loop: the dialog below still gets its timers.
  if (answer.timerMessages > 0) sim::DeliverTimerMessages(answer.timerMessages, answer.stepMs);
  return answer.result;
}

namespace sim {

void ResetMessageBoxes() {
  g_boxes.clear();
  g_answers.clear();
}

const std::vector<MessageBoxRecord> &MessageBoxes() { return g_boxes; }

void AnswerMessageBox(int index, const MessageBoxAnswer &answer) { g_answers[index] = answer; }

}  // namespace sim
