// Dialogs: the message-dialog button kinds and the file-open dialog.
#pragma once

#include "framework/Component.h"

#include <functional>

enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

// Options of the file dialogs (only those the dialog interprets).
using TOpenOptions = uint32_t;
constexpr TOpenOptions ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2,
                       ofAllowMultiSelect = 1u << 9, ofPathMustExist = 1u << 11, ofFileMustExist = 1u << 12;

// A file-open dialog on QFileDialog. Filter uses the framework's "Description|pattern|..." form,
// several patterns of one entry separated by ';'.
class TOpenDialog : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(int FilterIndex READ FilterIndex WRITE SetFilterIndex)
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QString InitialDir READ InitialDir WRITE SetInitialDir)
    Q_PROPERTY(QString DefaultExt READ DefaultExt WRITE SetDefaultExt)
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(int Options READ Options WRITE SetOptions)

public:
    explicit TOpenDialog(TComponent* AOwner);

    String Filter() const { return FFilter; }
    void SetFilter(const String& v) { FFilter = v; }
    // 1-based index of the filter shown first.
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int v) { FFilterIndex = v; }
    String FileName() const { return FFileName; }
    void SetFileName(const String& v) { FFileName = v; }
    String InitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& v) { FInitialDir = v; }
    String DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& v) { FDefaultExt = v; }
    String Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    int Options() const { return int(FOptions); }
    void SetOptions(int v) { FOptions = TOpenOptions(v); }

    // Shows the dialog modally; true when the user picked a file (FileName holds it).
    virtual bool Execute();

    // The Qt name filters of Filter ("Text files (*.txt *.text)"), in order.
    static QStringList QtNameFilters(const String& Filter);

    // Replaces the modal dialog (tests and headless runs): gets the dialog, may set FileName,
    // returns what Execute returns.
    static std::function<bool(TOpenDialog* Dialog)> ExecuteHook;

private:
    String FFilter;
    int FFilterIndex = 1;
    String FFileName;
    String FInitialDir;
    String FDefaultExt;
    String FTitle;
    TOpenOptions FOptions = ofHideReadOnly;
};
