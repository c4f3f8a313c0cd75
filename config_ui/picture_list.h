// The picture list's commands, run by the configuration dialog on its own
// window (IDC_FILE_LIST). Internal to config_ui: the dialog routes to these.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "settings/settings.h"

// Adds the files chosen in the open-file dialog; updates FileDirectory and
// FilterIndex of the record when the user chose files.
void AddPictures(HWND dialog, Settings *settings);
// Adds the dropped picture files, lower-cased, and releases the drop.
void DropPictures(HWND dialog, HDROP drop);
void DeletePicture(HWND dialog);
void MovePictureUp(HWND dialog);
void MovePictureDown(HWND dialog);
// Empties the list when the user confirms.
void ClearPictures(HWND dialog);
// Opens the viewer on the selected picture.
void ShowSelectedPicture(HWND dialog);
