#pragma once
#include <QString>
#include <QStringList>
#include <array>

class TForm_Main;
class GroupPanel;
class IniFile;
class QScrollArea;
class QTabWidget;
class QWidget;

// Profiles, access levels, settings files and page layouts.
//
// Results follow the tool's rule: 0 = done, 1 = the file does not exist
// (nothing read, written or created). A write that the file system refuses
// gives 2 and leaves "Unable to write to <path>" in *error; the writes before
// it stay, the ones after it are not made.
enum { kFileDone = 0, kFileMissing = 1, kFileRefused = 2 };

// ---- Profiles and access levels ------------------------------------------

// The three access codes, by level 1 to 3.
inline const std::array<QString, 3> kAccessCodes = {"2937", "6082", "8164"};
// Level (1..3) of a text that is one of the codes, else 0.
int AccessLevel(const QString& code);

// Names of the folders of the program folder that hold a MonitorSet.KXL, in
// listing order, at most 20; hidden, read-only and linked folders do not
// count. False when the program folder could not be listed.
bool ListLayoutProfiles(std::array<QString, 20>& names);

// ---- View options ------------------------------------------------------------

// The voltage-protection layout of a VacProtectSet value, as the profile
// change and the popup menu apply it: 0 one stage pair (width 255), 1 both
// second slow stages (520), 2 the low side's only with short captions (520);
// the panel and its title bar take the width together. Any other value
// changes nothing.
void ApplyUacProtectionLayout(TForm_Main& w, int vacProtectSet);

// ---- Profile settings file (<profile>/MonitorSet.KXL) -----------------------

int LoadMonitorSettings(TForm_Main& w, const QString& path);
// Writes only when superUser; a missing file shows "No found Setting File".
int SaveMonitorSettings(TForm_Main& w, const QString& path, bool superUser, QString* error = nullptr);

// ---- Previous-run file (profile/PreviousSet.KXL) ----------------------------

int LoadPreviousSet(TForm_Main& w, const QString& path);
int SavePreviousSet(TForm_Main& w, const QString& path, QString* error = nullptr);

// ---- Country list (<profile>/CountryList.KXL) -------------------------------

// One entry per piece of at most 99 bytes (a line of up to 98 characters, or
// 99 bytes of a longer one, which goes on in the next entries), line ends
// stripped, at most 300, in the Windows program's code page unless the file
// is UTF-8. An entry with text, or one without line end of two or more
// bytes, is a grid code on offer; LoadedCountryCount counts the codes before
// a last line "END". Without the file entry 0 reads "NONE". Always 0.
int LoadCountryList(TForm_Main& w, const QString& profileFolder);

// ---- Page layout files (<profile>/MonitorSet<n>.KXL) ------------------------

// Sum of the character codes of a section name.
int SectionCodeSum(const QString& section);
// The stored height: the panel's height plus 10 x the code sum while the panel
// is open at its Tag on that page, else the marker 40.
int EncodePanelHeight(const QString& section, const GroupPanel* panel, const QScrollArea* page);
// Computed in 64 bits: a hand-edited file may hold any 32-bit number.
qint64 DecodePanelHeight(qint64 stored, const QString& section);
// The largest Left or Top that a layout file may give a panel: far beyond any
// page, yet a panel's far edge stays well inside the toolkit's coordinates.
constexpr int kMaxPanelOffset = 32767;
bool WritePanelLayout(const QString& section, const GroupPanel* panel, const QScrollArea* page, IniFile& file);
int ReadPanelLayout(const QString& section, GroupPanel* panel, const IniFile& file);
// Writes the sections of every stored panel for one page; a missing file shows
// "No found Setting File".
int SavePageLayout(TForm_Main& w, const QString& path, const QScrollArea* page, QString* error = nullptr);
int LoadPageLayout(TForm_Main& w, const QString& path);

// Grows or shrinks a page's content to the bounds of the panels shown on it.
void FitPageContent(QScrollArea* page);

// The program folder's path of a profile file ("SuperUser", "MonitorSet3.KXL").
QString ProfilePath(const QString& profile, const QString& file);

// PageControl's tabs as the tool counts them (visible tabs only, -1 = none).
int CurrentTabIndex(const QTabWidget* tabs);
void SetCurrentTabIndex(QTabWidget* tabs, int index);
void SetTabVisible(QTabWidget* tabs, QWidget* page, bool visible);
