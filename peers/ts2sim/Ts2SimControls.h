// The window classes the simulated voice client is built from, named as the real client's
// are: text panes that keep their own text, a group box, labelled edits and buttons.
#pragma once

#include <windows.h>

namespace ts2sim {

inline constexpr char kMainFormClass[] = "TMainForm";
inline constexpr char kPanelClass[] = "TPanel";
inline constexpr char kInfoPaneClass[] = "TRichEditWithLinks.UnicodeClass";
inline constexpr char kLogPaneClass[] = "TRichEditWithLinks";
inline constexpr char kGroupBoxClass[] = "TGroupBox";
inline constexpr char kLabeledEditClass[] = "TLabeledEdit";
inline constexpr char kButtonClass[] = "TButton";
inline constexpr char kCreateChannelClass[] = "TfrmCreateChannel";

// Registers every class above except the two forms, whose procedures the caller gives.
bool RegisterControlClasses(HINSTANCE instance);

}  // namespace ts2sim
