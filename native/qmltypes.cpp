#include "qmltypes.h"

#include "calculator.h"
#include "filedownload.h"
#include "generatepdf.h"
#include "mousehandling.h"
#include "tablemodel.h"

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
    // The update facade (Updater in module UpdateInstance 1.0) is registered
    // here, between GeneratePDF and TableModel.
    qmlRegisterType<TableModel>("TableModel", 0, 1, "TableModel");
    qmlRegisterType<MouseHandling>("MouseHandling", 0, 1, "MouseHandling");
}

} // namespace QmlTypes
