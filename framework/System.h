// Basic types of the component framework: strings, the object root, exceptions, points and rectangles.
#pragma once

#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

using String = QString;

class TObject {
public:
    virtual ~TObject() = default;
    // Class name as the framework reports it ("TkivButton"); subclasses with a meta-object override it.
    virtual String ClassName() const { return QStringLiteral("TObject"); }
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Exceptions: the framework raises these; the application object shows what reaches the message loop.
class Exception : public std::exception {
public:
    explicit Exception(String message = String()) : FMessage(std::move(message)), FUtf8(FMessage.toStdString()) {}
    const String& Message() const { return FMessage; }
    void SetMessage(const String& m) { FMessage = m; FUtf8 = m.toStdString(); }
    const char* what() const noexcept override { return FUtf8.c_str(); }
    virtual String ClassName() const { return QStringLiteral("Exception"); }

private:
    String FMessage;
    std::string FUtf8;
};

#define RQ_DECLARE_EXCEPTION(Name, Base)                                          \
    class Name : public Base {                                                    \
    public:                                                                       \
        using Base::Base;                                                         \
        String ClassName() const override { return QStringLiteral(#Name); }       \
    };

RQ_DECLARE_EXCEPTION(EAbort, Exception)            // silent: the message loop does not show it
RQ_DECLARE_EXCEPTION(EConvertError, Exception)
RQ_DECLARE_EXCEPTION(EStreamError, Exception)
RQ_DECLARE_EXCEPTION(EReadError, EStreamError)
RQ_DECLARE_EXCEPTION(EWriteError, EStreamError)
RQ_DECLARE_EXCEPTION(EFOpenError, EStreamError)
RQ_DECLARE_EXCEPTION(EFCreateError, EStreamError)
RQ_DECLARE_EXCEPTION(EResNotFound, Exception)
RQ_DECLARE_EXCEPTION(EListError, Exception)
RQ_DECLARE_EXCEPTION(EInvalidOperation, Exception)
RQ_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
RQ_DECLARE_EXCEPTION(EOutOfResources, Exception)
RQ_DECLARE_EXCEPTION(EClassNotFound, Exception)

// Raises the silent EAbort.
[[noreturn]] inline void Abort() { throw EAbort(QStringLiteral("Operation aborted")); }

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Left, Top inclusive; Right, Bottom exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }
inline TRect Bounds(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }

// Objects that can copy themselves from another of their kind.
class TPersistent : public TObject {
public:
    // Copies Source into this object; raises EConvertError when neither side knows how.
    virtual void Assign(const TPersistent* Source);
    String ClassName() const override { return QStringLiteral("TPersistent"); }

protected:
    virtual void AssignTo(TPersistent* Dest) const;
};
