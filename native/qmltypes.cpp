#include "qmltypes.h"

namespace QmlTypes {

void registerDownload()
{
}

void registerAll()
{
}

} // namespace QmlTypes
