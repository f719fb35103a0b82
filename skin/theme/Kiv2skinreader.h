// Tsk2SkinFileReader: loads a skin file (".kvt") into memory: its bitmaps, integers (colours among
// them), flags and strings, each under its key name.
#pragma once

#include "framework/Colors.h"
#include "framework/System.h"
#include "skin/theme/Kiv2skinreaderCore.h"

#include <memory>
#include <string>

class TBitmap;
class TStringList;

// The message of every failure to read a skin file.
inline const String SSkinFileReadError = QStringLiteral("Failed to read skin file!");

// Raised when a skin file cannot be read; the message is always "Failed to read skin file!",
// Reason() tells what went wrong.
class ESkinFileError : public Exception {
public:
    explicit ESkinFileError(TSk2Status Reason) : Exception(SSkinFileReadError), FReason(Reason) {}
    TSk2Status Reason() const { return FReason; }
    String ClassName() const override { return QStringLiteral("ESkinFileError"); }

private:
    TSk2Status FReason;
};

// A password as the bytes the traditional encryption keys take.
// Decisions: a password is bytes, as the encryption defines it. A String password stands for its
// UTF-8 bytes; a tool that gets a password from its command line hands over the bytes as they
// came, so that a password that is not valid UTF-8 opens what it was packed with (no lossy
// conversion through String on the way).
struct TSk2PasswordBytes {
    std::string Bytes;
};

class Tsk2SkinFileReader : public TObject {
public:
    // Loads the skin file. A corrupt or unreadable file raises ESkinFileError; an encrypted skin
    // with an empty password, or a wrong one that fails the password check byte, leaves the reader
    // empty and not loaded, without an exception. (A wrong password that passes the check byte by
    // chance yields data that fails to inflate or fails its CRC-32: ESkinFileError.)
    // The password is used as its UTF-8 bytes.
    Tsk2SkinFileReader(const String& FileName, const String& Password);
    // The same from a skin file its caller has opened (or holds in memory), with the password
    // as bytes. The source must stay valid during the construction only.
    Tsk2SkinFileReader(TSk2RandomSource& Skin, const TSk2PasswordBytes& Password);
    ~Tsk2SkinFileReader() override;
    Tsk2SkinFileReader(const Tsk2SkinFileReader&) = delete;
    Tsk2SkinFileReader& operator=(const Tsk2SkinFileReader&) = delete;

    // True once a load has completed.
    bool Loaded() const { return FLoaded; }

    // The bitmap stored under Name, or null; the reader keeps it.
    TBitmap* GetBitmap(const String& Name) const;
    // The integer, or -1 when Name is missing or its text is not a number.
    int GetInteger(const String& Name) const;
    // The flag; false when Name is missing or its text is not a number.
    bool GetBool(const String& Name) const;
    // The string; empty when Name is missing.
    String GetStr(const String& Name) const;

    // Copies Bitmap into the one stored under Name; nothing when Name is missing.
    void SetBitmap(const String& Name, const TBitmap* Bitmap);
    // Set the value's text, adding Name when missing (a flag as 0 or 1).
    void SetInteger(const String& Name, int Value);
    void SetBool(const String& Name, bool Value);

    // Makes every stored bitmap transparent with the fixed transparent colour Color.
    void ProcessTransparentColor(TColor Color);

    // The lists as loaded, in file order (for tools): bitmaps name -> TBitmap object, and
    // name=value lines of integers, flags and strings.
    const TStringList& BitmapList() const { return *FBitmapList; }
    const TStringList& IntegerList() const { return *FIntegerList; }
    const TStringList& BoolList() const { return *FBoolList; }
    const TStringList& StringList() const { return *FStringList; }

    String ClassName() const override { return QStringLiteral("Tsk2SkinFileReader"); }

private:
    void LoadSkin(const String& FileName, const std::string& Password);
    void LoadSkin(TSk2RandomSource& Skin, const std::string& Password);

    std::unique_ptr<TStringList> FBitmapList;
    std::unique_ptr<TStringList> FIntegerList;
    std::unique_ptr<TStringList> FBoolList;
    std::unique_ptr<TStringList> FStringList;
    bool FLoaded = false;
};
