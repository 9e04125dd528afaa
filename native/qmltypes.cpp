#include "qmltypes.h"

#include "articlegroupcsv.h"
#include "bell.h"
#include "calculator.h"
#include "draftstore.h"
#include "filedownload.h"
#include "fontfaces.h"
#include "generatepdf.h"
#include "mousehandling.h"
#include "passwordstore.h"
#include "privatefiles.h"
#include "tablemodel.h"
#include "updateinstance.h"

#include <QtQml>

namespace QmlTypes {

void registerDownload()
{
    qmlRegisterType<FileDownload>("example.kestrova.qml.filedownload", 1, 0, "Download");
}

void registerAll()
{
    qmlRegisterType<Calculator>("MyMath", 1, 0, "Calculator");
    qmlRegisterType<GeneratePDF>("Generator", 1, 0, "GeneratePDF");
    qmlRegisterType<UpdateInstance>("UpdateInstance", 1, 0, "Updater");
    qmlRegisterType<TableModel>("TableModel", 0, 1, "TableModel");
    qmlRegisterType<MouseHandling>("MouseHandling", 0, 1, "MouseHandling");
    // where invoices and delivery notes are written; the engine owns the instance
    qmlRegisterSingletonType<PrivateFiles>(
        "PrivateFiles", 1, 0, "PrivateFiles", [](QQmlEngine *, QJSEngine *) -> QObject * { return new PrivateFiles; });
    // what was typed into forms not yet saved; the engine owns the instance
    qmlRegisterSingletonType<DraftStore>(
        "DraftStore", 1, 0, "DraftStore", [](QQmlEngine *, QJSEngine *) -> QObject * { return new DraftStore; });
    qmlRegisterType<ArticleGroupCsv>("ArticleGroupCsv", 1, 0, "ArticleGroupCsv");
    // the embedded typefaces, registered in stages while the window starts
    qmlRegisterSingletonType<FontFaces>(
        "FontFaces", 1, 0, "FontFaces", [](QQmlEngine *, QJSEngine *) -> QObject * { return new FontFaces; });
    // the remembered password in the desktop's keyring
    qmlRegisterType<PasswordStore>("PasswordStore", 1, 0, "PasswordStore");
    // the desktop's bell, rung for each scan at the warehouse desk
    qmlRegisterType<Bell>("Bell", 1, 0, "Bell");
}

} // namespace QmlTypes
