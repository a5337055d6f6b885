// Everything the editor is made of, as the main window builds and wires it: the state and its
// listeners, the link, the pages, the status bar and the actions behind the menus. The main window
// owns it; tests reach the parts through MainWindow::parts() instead of building them one by one.
#pragma once

#include "vantrell/compare/ReferenceCompare.h"
#include "vantrell/editor/EditorState.h"
#include "vantrell/history/EditHistory.h"
#include "vantrell/keyboard/EditKeyReader.h"
#include "vantrell/link/EmulatorLink.h"
#include "vantrell/link/StepWriteThrough.h"
#include "vantrell/live/LiveDataDock.h"
#include "vantrell/live/LiveSession.h"
#include "vantrell/shell/CompareActions.h"
#include "vantrell/shell/DefinitionChoice.h"
#include "vantrell/shell/EditActions.h"
#include "vantrell/shell/EditorPages.h"
#include "vantrell/shell/LinkActions.h"
#include "vantrell/shell/RomImageActions.h"
#include "vantrell/shell/StatusBarLabels.h"
#include "vantrell/shell/StatusWindow.h"
#include "vantrell/shell/VerifyActions.h"
#include "vantrell/verify/BoardCheck.h"
#include "vantrell/verify/BoardKnowledge.h"

#include <memory>

namespace vantrell {

struct EditorParts
{
    EditorState state;
    // The document's first listeners: the history and the comparison hear of a step before the boards
    // and the views do.
    EditHistory history{state.rom};
    ReferenceCompare compare{state.rom};
    EditKeyReader editKeys;
    // What the boards hold: after the write-through among the document's listeners.
    BoardKnowledge knowledge;
    std::unique_ptr<EmulatorLink> emulatorLink;
    std::unique_ptr<StepWriteThrough> stepWriteThrough;
    std::unique_ptr<BoardCheck> boardCheck;

    // Widgets and actions: owned by the window through Qt's parents.
    StatusWindow* status = nullptr;
    EditorPages* pages = nullptr;
    StatusBarLabels* bar = nullptr;
    RomImageActions* romImages = nullptr;
    DefinitionChoice* definitions = nullptr;
    LinkActions* linkActions = nullptr;
    EditActions* editActions = nullptr;
    CompareActions* compareActions = nullptr;
    VerifyActions* verifyActions = nullptr;
    // The live data from the ECU's diagnostic port and its dock.
    LiveSession* live = nullptr;
    LiveDataDock* liveDock = nullptr;

    EmulatorLink& link() const { return *emulatorLink; }
    StatusWindow* statusWindow() const { return status; }
    MapGridPage* gridPage() const { return pages->gridPage(); }
    MapGrid* grid() const { return pages->grid(); }
    MapView3D* mapView() const { return pages->mapView(); }
    EmulatorSetupPage* setupPage() const { return pages->setupPage(); }
};

} // namespace vantrell
