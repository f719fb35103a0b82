// Fuzz target: stored form definitions, read into a throwaway form the way the application reads
// its own: tokens, nesting, values, component classes, properties, events, references, pictures
// given inline or by resource name. A definition the reader refuses raises one of the framework's
// exceptions, which is fine; a crash, a sanitizer report or a hang is a finding.
#include "framework/FormReader.h"
#include "framework/Forms.h"

#include <QApplication>
#include <QByteArray>
#include <cstddef>
#include <cstdint>

// Fontconfig keeps the font cache Qt asks it for until the process ends, and never frees it:
// reported at exit, not a leak of the reader's.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Widgets need an application object; the offscreen platform keeps the run headless.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz-formreader";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    new TApplication;
    Application->Initialize();
    RegisterFrameworkClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto* root = new TForm(nullptr);
    try {
        ReadComponentText(root, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                          QStringLiteral("fuzz.dfm"));
    } catch (const Exception&) {
        // Refused: the expected outcome for most inputs.
    }
    delete root;
    // Widgets deleted later by Qt go now, so that memory does not pile up between runs.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
