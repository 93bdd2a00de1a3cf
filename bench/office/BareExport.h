#pragma once

#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>

#include "office/VoucherExport.h"

// The export's calls to the suite, made typed and without the wrapper, in the same order and
// number: the yardstick for the wrapper's cost. The file steps are the export's own.
void BareExport(
    const com::sun::star::uno::Reference<com::sun::star::uno::XComponentContext>& office,
    TVoucherSource& source);
