#include "document/kordoc.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/retrievalengine.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>

namespace {

// Resets the profile when the user asked for it and saves modified options
// ("prnexp" alone is saved by its own dialog). A failed save is told.
void SaveSettingsAtExit()
{
    if (g_qdaOptions.GetBool(QdaOption::ResetProfileAtExit)) {
        // The portable settings file also says that the program is portable: keep that.
        if (g_program.PortableMode)
            PrivateProfile(g_program.ProfilePath).KeepOnlySection(QStringLiteral("Basic"));
        else
            QFile::remove(g_program.ProfilePath);
        g_qdaOptions.SetBool(QdaOption::ResetProfileAtExit, false);
    }
    if (!g_qdaOptions.IsModified() && !g_dictioOptions.IsModified() && !g_mapsOptions.IsModified())
        return;
    QString error;
    if (!SaveOptionsFile(&error))
        QMessageBox::warning(nullptr, LoadString(FoundationText::ProgramTitle),
                             LoadString(FoundationText::OptionsNotSaved).arg(g_program.OptionsFilePath, error));
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zepha"));
    QApplication::setApplicationName(QStringLiteral("KORVAN10"));
    g_program = ResolveProgramPaths(QApplication::applicationDirPath());

    // Without its texts the program cannot show anything meaningful.
    if (!g_pStringStore->Open(g_program.StringTablePath, g_program.LanguageIndex)) {
        QMessageBox::critical(nullptr, QStringLiteral("KORVAN10"), g_pStringStore->LastError());
        return 1;
    }
    BuildOptionDefinitions();

    // The one project document, with the engine that retrieves for it.
    retrieval::RetrievalEngine retrievalEngine;
    CKorDoc document;
    document.SetRetrievalService(&retrievalEngine);

    QMainWindow frame;
    frame.setWindowTitle(LoadString(FoundationText::ProgramTitle));
    frame.resize(1024, 768);
    frame.show();
    const int rc = app.exec();
    SaveSettingsAtExit();
    g_pStringStore->Close();
    return rc;
}
