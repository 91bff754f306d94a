#include "util/UtilImageryExport.h"
#include "util/files/Failure.h"
#include "util/imagery/ApplyCurves.h"
#include "util/imagery/RasterPreview.h"

#include <cerrno>
#include <iostream>

// Links the imagery library through the package alone, without GDAL of its own.
int main()
{
    util::RasterPreview preview;
    util::Failure failure;
    if (util::readRasterPreview(QStringLiteral("/nonexistent/raster.tif"), 64, preview, &failure)
        || failure.error != ENOENT)
        return 1;
    util::ApplyCurvesOptions options;
    std::cout << failure.text().toStdString() << " (driver " << options.driver().toStdString()
              << ")\n";
    return options.driver() == QLatin1String("GTiff") ? 0 : 1;
}
