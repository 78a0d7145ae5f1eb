// The pages of the editor sheet, in sheet order: where each page plugs its Win32 face
// (editor/win32/sheet_pages.cpp holds the list, one line per page).
#pragma once

#include "editor/win32/property_sheet_win32.h"
#include "platform/user_interface.h"
#include "project/project.h"

namespace kest::win32 {

// What a page's face may take to build its logic: the project (for the tables a page
// or its dialogs write at once), the editor state and the program's message boxes and
// file dialogs.
struct PageContext {
    Project& project;
    EditorState& state;
    UserInterface& ui;
};

PageFaces make_page_faces(const PageContext& context);

// Faces of pages that open dialogs of their own (one file each in editor/win32/).
std::unique_ptr<PageFace> make_form_page_face(const PageContext& context);
std::unique_ptr<PageFace> make_barcode_settings_page_face(const PageContext& context);
std::unique_ptr<PageFace> make_settings_page_face(const PageContext& context);

}  // namespace kest::win32
