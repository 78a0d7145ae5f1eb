// Control ids of the shared progress dialog "ProgressDlg" and of the loader's "EraseDlg".
#pragma once

#define IDC_PROGRESS_TEXT 401
#define IDC_PROGRESS_BAR 402
