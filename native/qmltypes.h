#pragma once

// Registration of the native element types for the documents. The application
// and the test runners call the same functions, so tests see the types exactly
// as the application does.
namespace QmlTypes {

// The download element; runs from a start-up routine while the application
// object is constructed, before every other registration.
void registerDownload();

// All other native types, in the order the host registers them.
void registerAll();

} // namespace QmlTypes
