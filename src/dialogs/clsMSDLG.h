#pragma once

#include "DialogBackend.h"
#include "OpenFileRecord.h"

#include <QString>

#include <cstdint>
#include <stdexcept>

class QWidget;

namespace morvane {

// Raised by ShowSave and ShowColor when the user cancels while CancelError is true.
class DialogCancelled : public std::runtime_error {
public:
    DialogCancelled() : std::runtime_error("The dialog was cancelled.") { }
};

// The common dialog object: the caller sets properties, calls ShowOpen, ShowSave or ShowColor,
// and reads the answer back from FileName, FileTitle or RGBResult. One instance is shared by the
// whole window, so every property keeps its value from one dialog to the next.
class clsMSDLG {
public:
    explicit clsMSDLG(DialogBackend& backend, QString programFolder);

    // Writing 1, 2 or 3 runs ShowOpen, ShowSave or ShowColor; any other value does nothing.
    void SetAction(std::int32_t action);

    bool CancelError() const { return cancelError_; }
    void SetCancelError(bool value) { cancelError_ = value; }
    QWidget* hOwner() const { return owner_; }
    void SethOwner(QWidget* owner) { owner_ = owner; }
    std::int32_t flags() const { return flags_; }
    void Setflags(std::int32_t value) { flags_ = value; }
    QString DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const QString& value) { dialogTitle_ = value; }
    QString DialogPrompt() const { return dialogPrompt_; }
    void SetDialogPrompt(const QString& value) { dialogPrompt_ = value; }
    QString DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const QString& value) { defaultExt_ = value; }
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& value) { fileName_ = value; }
    QString FileTitle() const { return fileTitle_; }
    void SetFileTitle(const QString& value) { fileTitle_ = value; }
    QString Filter() const { return filter_; }
    void SetFilter(const QString& value) { filter_ = value; }
    std::int32_t FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(std::int32_t value) { filterIndex_ = value; }
    QString InitDir() const { return initDir_; }
    void SetInitDir(const QString& value) { initDir_ = value; }
    PackedColor RGBResult() const { return rgbResult_; }
    void SetRGBResult(PackedColor value) { rgbResult_ = value; }

    void ShowOpen();
    void ShowSave();
    void ShowColor();

    // The pending error number after ShowOpen: 1 when the user cancelled with CancelError set,
    // otherwise 0. Every Show call clears it first.
    int ErrorNumber() const { return errorNumber_; }
    // Whether the user confirmed the last dialog shown (false after a cancel). The callers use it
    // to leave everything as it was on Cancel.
    bool Confirmed() const { return confirmed_; }

private:
    enum class FileDialog { Open, Save };
    // Runs the Open or Save As dialog from a freshly prepared record; returns whether the user
    // confirmed a file, which FileName and FileTitle then hold.
    bool ShowFileDialog(FileDialog kind);
    void PrepareFileDialog();
    FileDialogRequest RequestFromRecord() const;
    void TakeFileAnswer(const QString& path);

    DialogBackend& backend_;
    QString programFolder_;
    OpenFileRecord record_;
    bool cancelError_ = false;
    QWidget* owner_ = nullptr;
    std::int32_t flags_ = 0;
    QString dialogTitle_;
    QString dialogPrompt_;
    QString defaultExt_;
    QString fileName_;
    QString fileTitle_;
    QString filter_;
    std::int32_t filterIndex_ = 0;
    QString initDir_;
    PackedColor rgbResult_ = 0;
    int errorNumber_ = 0;
    bool confirmed_ = false;
};

} // namespace morvane
