// Every command of quorutil, its arguments and options: the one list the parser, the usage
// texts, the man page and the completion are made from.

#include "tools/quorutil/CommandTable.h"

#include "tools/quorutil/Commands.h"
#include "tools/quorutil/GpsUtc.h"

namespace quorutil {

namespace {

// Seconds from the GPS week epoch that the conversions accept: from the GPS origin 1980-01-06
// to the last whole-second week time the date conversion can take (week 7101).
constexpr double earliestGpsSeconds = -static_cast<double>(gpsEpochSinceOrigin);
constexpr double latestGpsSeconds = 4294967295.0 + 604800.0;

const char *const tfwPrecision[2] = {
    "digits after the point of coordinates and rotations (default 10)",
    "digits after the point of the cell sizes (default 10)"};

std::vector<CommandSpec> makeTable()
{
    const auto tfwOutput = path("--output", "OUT",
                                "where the new world file goes ('-' for "
                                "standard output)")
                               .alias("-o")
                               .needed();
    const auto coordPrecision = integer("--coord-precision", "N", 0, 17, tfwPrecision[0]);
    const auto cellPrecision = integer("--cell-precision", "N", 0, 17, tfwPrecision[1]);
    return {
        {"sup",
         "support files: show, export, check",
         {},
         {},
         "Support files (.sup) describe an image of the sensor and its processing level.\n",
         nullptr},
        {"sup show",
         "print the level and every keyword of support files",
         {fileArg("FILE").repeat().orStdin()},
         {flag("--json",
               "a JSON array with one object per file: \"file\", one member per "
               "keyword the file holds (dates in ISO 8601 with their offset) and "
               "\"present\", those keywords in file order; a file that cannot be read "
               "has \"error\" instead"),
          flag("--defaults",
               "also list the keywords the file does not hold, with the value the "
               "reader assumes for them, marked \"(not in the file)\""),
          flag("--force",
               "also show files that are damaged, empty or of an unsupported level "
               "(the problem still goes to standard error, but the exit code stays "
               "0)")},
         "Prints the detected level and the value of every keyword each support file holds.\n"
         "Keywords the file does not hold are counted, not shown: the reader would assume its\n"
         "defaults for them (--defaults lists them, marked).\n",
         supShow},
        {"sup export",
         "write a support file as level 1 or level 2",
         {fileArg("FILE")},
         {choice("--level", "1|2", "the level to write").needed(),
          path("--output", "OUT", "where the file goes ('-' for standard output)")
              .alias("-o")
              .needed(),
          flag("--relative-names", "image file names relative to the folder of OUT (level 1)"),
          flag("--no-level0-name", "leave out the LEVEL_0_NAME line (level 1)"),
          flag("--force", "export a damaged FILE as far as it could be read")},
         "Reads FILE and writes it as a level-1 or level-2 support file to OUT. OUT is replaced\n"
         "only when the whole file could be written. LEVEL_0_NAME stays as FILE writes it (a\n"
         "level-0 FILE is itself the level-0 name). PHOTO_DATE and IMAGE_DATE lines that FILE\n"
         "does not hold are left out, never made up; keywords written with the reader's\n"
         "defaults are named on standard error.\n",
         supExport},
        {"sup check",
         "check that the files support files refer to exist",
         {fileArg("FILE|DIR").repeat()},
         {flag("--quiet", "print nothing; only the exit code tells").alias("-q"),
          flag("--recursive", "check the support files below each DIR too, not only in it"),
          flag("--json",
               "a JSON array with one object per support file: \"file\", \"valid\", "
               "\"missing\" (the paths looked for) and \"messages\", or \"error\" "
               "when it could not be read")},
         "Checks that every file each support file refers to exists: its image files,\n"
         "orientation and calibration files and the level-0 image it names. Relative names are\n"
         "looked for in the support file's own folder, wherever the check is run from (a\n"
         "backslash counts as a folder separator). A DIR stands for the support files (.sup) in\n"
         "it. A name that is a folder, or that was cut at 254 characters, counts as missing. One\n"
         "line per missing file, naming the support file; exit code 1 when any file is missing\n"
         "or a support file cannot be read.\n",
         supCheck},

        {"tfw",
         "world files: show, minify, offset",
         {},
         {},
         "World files (.tfw) place an image on the ground: cell sizes, rotation terms and the\n"
         "map position of the centre of the upper-left pixel.\n",
         nullptr},
        {"tfw show",
         "print the six numbers of a world file",
         {fileArg("FILE").orStdin()},
         {flag("--json",
               "a JSON object: \"geoTransform\" (as gdalinfo -json), \"worldFile\" "
               "(the file's numbers in its order), \"pixelSize\", \"rotation\", "
               "\"upperLeftCorner\" and \"upperLeftPixelCentre\"")},
         "Prints the grid as GDAL names it: the pixel size with its signs (width, height:\n"
         "negative for a north-up grid), the rotation terms (row, column), the upper-left corner\n"
         "of the image (GDAL's origin) and the centre of its upper-left pixel (what the file\n"
         "holds).\n",
         tfwShow},
        {"tfw minify",
         "the world file of the image resampled by FACTOR",
         {fileArg("FILE"), numberArg("FACTOR", 0, unbounded).above()},
         {tfwOutput, coordPrecision, cellPrecision},
         "Writes the world file of the image resampled so one pixel covers FACTOR x FACTOR\n"
         "pixels, as gdal_translate -outsize places it: the upper-left corner stays, pixel size\n"
         "and rotation terms grow by FACTOR. A grid that overflows is refused.\n",
         tfwMinify},
        {"tfw offset",
         "the world file of the grid moved by DX, DY",
         {fileArg("FILE"), numberArg("DX", -unbounded, unbounded),
          numberArg("DY", -unbounded, unbounded)},
         {flag("--pixels",
               "DX and DY count columns and rows (rows downward), as gdal_translate "
               "-srcwin DX DY does"),
          tfwOutput, coordPrecision, cellPrecision},
         "Writes the world file of the grid moved by DX, DY map units (DY positive to the\n"
         "north), or with --pixels the world file of the window whose upper-left pixel is\n"
         "column DX, row DY, as gdal_translate -srcwin places it (rotation terms included). A\n"
         "grid that overflows is refused.\n",
         tfwOffset},

        {"lik",
         "image link files: show, make",
         {},
         {},
         "Image link files (.lik) stand in place of an image and name where it really is.\n",
         nullptr},
        {"lik show",
         "print the image a link file points to, and whether it exists",
         {fileArg("FILE")},
         {},
         "Prints the image FILE points to and whether it exists; exit code 1 when it does not.\n",
         likShow},
        {"lik make",
         "write a link file for an image",
         {fileArg("IMAGE")},
         {path("--output", "LIK",
               "the link file (default: beside IMAGE, named IMAGE's name up "
               "to its last dot plus .lik; '-' for standard output)")
              .alias("-o")},
         "Writes a link file for IMAGE and prints its path.\n",
         likMake},

        {"copy",
         "copy a file and report the progress",
         {fileArg("SRC"), fileArg("DST")},
         {choice("--progress", "none|std|fancy|udp",
                 "fancy: one status line redrawn in place (default on a terminal); std: plain "
                 "lines (default when output is not a terminal); udp: datagrams for 'quorutil "
                 "monitor' (broadcast, port 45454, or QUOR_PROGRESS_TARGET=host:port); none: "
                 "nothing"),
          flag("--gui", "copy in the background behind a progress dialog")},
         "Copies SRC to DST and reports the progress. An existing DST keeps its links, owner,\n"
         "mode and attributes; a device or FIFO is written through.\n",
         copyCommand},
        {"rmtree",
         "delete a folder and everything below it",
         {fileArg("DIR")},
         {},
         "Deletes DIR and everything below it. Links are removed, never followed, also DIR\n"
         "itself when it is a link (with or without a trailing '/'). Refuses '/' and paths\n"
         "ending in '.' or '..'. Stops at the first entry it cannot delete and names it.\n",
         rmtreeCommand},
        {"monitor",
         "follow the progress datagrams of running jobs",
         {},
         {integer("--port", "N", 0, 65535, "port to listen on; 0 takes a free one"),
          text("--listen", "ADDR", "address to listen on (an IPv4 or IPv6 address)"),
          flag("--once", "exit after the first finish notice"),
          number("--timeout", "SECONDS", 0, unbounded,
                 "stop after that long (with --once: exit code 1 if nothing finished)")
              .orInfinite(),
          text("--http", "[ADDR:]PORT",
               "also serve the table as a web page (ADDR 127.0.0.1 unless given; PORT 0 takes a "
               "free one): / the page, /jobs a JSON snapshot, /events a stream of changes, "
               "/healthz"),
          flag("--no-table", "show neither the table nor the datagram lines (with --http)"),
          flag("--json",
               "one JSON object per job change on standard output, for scripts; the first "
               "object names the addresses listened on")},
         "Follows the progress datagrams of running jobs (port 45454 on every IPv4 address by\n"
         "default) and keeps a table of jobs: redrawn in place on a terminal, one line per\n"
         "datagram otherwise. The first line names the address and port listened on.\n"
         "\n"
         "Anyone who can reach the port can send datagrams, so the monitor trusts none of them:\n"
         "malformed ones are counted and skipped, control characters in job texts are shown\n"
         "escaped (\\x1b, \\n), and the table keeps at most 256 jobs. A finished job leaves the\n"
         "table a minute after its finish notice, a job silent for 10 minutes leaves too.\n",
         monitorCommand},
        {"env",
         "show the installation and the settings in effect",
         {},
         {},
         "Shows the installation root, the settings file, the help file, the naming\n"
         "configuration files and the processor's vector instruction level, and which of the\n"
         "variables QUOR_DEVELOP (moves the installation root) and QUOR_INI (names another\n"
         "settings file) is in effect.\n",
         envCommand},
        {"ini-merge",
         "add what one settings file has to another",
         {fileArg("SOURCE"), fileArg("DEST")},
         {},
         "Adds the sections and keys of SOURCE that DEST lacks to DEST; everything DEST holds\n"
         "stays. Merges into one DEST take turns (an advisory lock on DEST).\n",
         iniMergeCommand},

        {"xml",
         "XML documents: validate, compare",
         {},
         {},
         "Documents nested deeper than 256 levels are refused.\n",
         nullptr},
        {"xml validate",
         "check documents against a schema",
         {fileArg("SCHEMA"), fileArg("FILE").repeat().orStdin()},
         {},
         "Checks each FILE against SCHEMA, a schema of the installation by name\n"
         "(tonalcurve.xsd, products.xsd) or a schema file by path. Exit code 0 when every FILE\n"
         "is valid.\n",
         xmlValidate},
        {"xml compare",
         "tell whether two files hold the same document",
         {fileArg("A"), fileArg("B")},
         {},
         "Tells whether A and B hold the same document, regardless of the order of attributes\n"
         "and sibling elements (exit code 0 equal, 1 different or unreadable).\n",
         xmlCompare},

        {"name",
         "print the file or session name a naming pattern gives",
         {},
         {flag("--session", "the session name instead of the file name"),
          text("--pattern", "TEXT",
               "an XML FilePattern element (text starting with '<') or a "
               "token pattern ($PROJECT$_$yyMMdd$)"),
          path("--collection", "FILE", "a pattern collection; --id picks the pattern"),
          text("--id", "ID", "the pattern of the collection (default \"Default\")"),
          flag("--example", "use the example values instead of the options below"),
          text("--project", "P", "the project"), text("--flight-plan", "F", "the flight plan"),
          text("--line-name", "L", "the line name"),
          integer("--line-number", "N", 0, 4294967295.0, "the line number"),
          integer("--serial", "N", 0, 4294967295.0, "the sensor's serial number"),
          text("--sensor-type", "T", "the sensor type"), text("--band", "B", "the band"),
          text("--date-time", "ISO8601",
               "acquisition date and time (without it, names carry "
               "no date)")},
         "Prints the file name (with --session the session name) that a naming pattern gives.\n"
         "Without --pattern or --collection the configured pattern is used, as the applications\n"
         "use it: a token pattern in quor.ini [NamingConfig], else the user's selected pattern\n"
         "of the configured collection, else the built-in default.\n"
         "\n"
         "The tokens of a token pattern: $PROJECT$, $FLIGHTPLAN$, $SERIAL$, $ABRVSERIAL$,\n"
         "$LINENAME$, $LINENUMBER$, $SENSORTYPE$, $BAND$, and date-time formats of the letters\n"
         "d M y h H m s z t and AP ($yyMMdd$, $hhmmss$). Any other token is refused.\n",
         nameCommand},
        {"supname", "support-file names: parse, rename", {}, {}, nullptr, nullptr},
        {"supname parse",
         "print the attributes read from support-file names",
         {textArg("NAME").repeat()},
         {flag("--json",
               "a JSON array with one object per name: \"name\", \"readable\" and "
               "\"attributes\"")},
         "Prints the attributes read from each support-file name (sensor, date, time, band,\n"
         "angle, level, tile coordinates), or that the name is not readable; exit code 1 when\n"
         "any name is not readable. NAME may be a path and carry an extension (.sup, .tif):\n"
         "only the file name without its extension is read.\n",
         supnameParse},
        {"supname rename",
         "print the name a pattern builds from a support-file name",
         {textArg("NAME")},
         {path("--pattern-file", "XML",
               "the pattern: the file's root element, or with --id a "
               "pattern collection")
              .needed(),
          text("--id", "ID", "the pattern of that id in the collection"),
          flag("--ignore-prefix-error", "accept a NAME that cannot be read")},
         "Prints the name that the pattern builds from NAME. A support-file pattern reads Date,\n"
         "Time, Sensor, TileX, TileY, Angle, Band and Level with checked=\"2\"; a pattern that\n"
         "takes nothing from NAME (a file-naming pattern, a whole collection) is refused, and\n"
         "elements it ignores are named on standard error.\n",
         supnameRename},

        {"bands", "band names: ccd, master, code, split", {}, {}, nullptr, nullptr},
        {"bands ccd",
         "print the CCD name and colour found in file names",
         {textArg("FILE").repeat()},
         {},
         "Prints \"FILE: ccd=NAME colour=COLOUR\" for each file name, \"nil\" where nothing is\n"
         "found (combined lines such as RGBN00A have no single colour). Exit code 1 when a file\n"
         "name holds no CCD name.\n",
         bandsCcd},
        {"bands master",
         "print the master band of a set",
         {textArg("BAND").repeat()},
         {},
         "Prints the index (from 0) and the name of the band the others are referred to: a\n"
         "panchromatic band with a CCD number below 5, else such a green band, else the first\n"
         "panchromatic band, else the first green band, else the first band with a CCD number\n"
         "below 5, else the first band. Names of fewer than four characters are refused.\n",
         bandsMaster},
        {"bands code",
         "print the image code of bands",
         {textArg("BAND").repeat()},
         {},
         "Prints the image code of bands that share direction, CCD number and line letter:\n"
         "their first letters and the first band's last four characters (REDN00A GRNN00A\n"
         "BLUN00A give RGBN00A). A single band is its own code. Bands of different lines\n"
         "(REDN00A GRNF27A) and names that are no band names (lower case) are refused.\n",
         bandsCode},
        {"bands split",
         "print the band names of an image code",
         {textArg("CODE")},
         {},
         "Prints the band names of an image code, one a line (RGBN00A gives REDN00A, GRNN00A,\n"
         "BLUN00A). Band letters: P, N, R, G, B.\n",
         bandsSplit},
        {"products",
         "print the products the available bands allow",
         {textArg("BAND").repeat()},
         {path("--config", "FILE", "the product-to-band map (default: <root>/etc/products.xml)"),
          text("--selected", "BAND,...",
               "the bands of BAND... that are selected; each line then "
               "ends in \"yes\" when all the product's bands are "
               "selected, else \"no\"")
              .repeat(),
          flag("--json",
               "a JSON array: product names, or with --selected objects with \"name\" "
               "and \"selected\"")},
         "Prints the products of the configuration that the available bands allow, one a line,\n"
         "in the configuration's order. The configuration is checked against the\n"
         "installation's etc/schemas/products.xsd first. A BAND that no product of the\n"
         "configuration is made from is refused.\n",
         productsCommand},
        {"pyramid",
         "build the image pyramids of images",
         {fileArg("IMAGE").repeat()},
         {path("--tool", "PATH", "the pyramid builder").needed(),
          number("--timeout", "SECONDS", 0, 2147483,
                 "give up on a builder still running after SECONDS (default 3600; 0 waits for "
                 "ever)"),
          choice("--progress", "none|std|fancy",
                 "how the progress over the images is shown (default std)")},
         "Builds the image pyramid of each IMAGE by running the pyramid builder as\n"
         "'PATH IMAGE -external', and prints each builder's report.\n"
         "GDAL's gdaladdo serves as builder through the gdaladdo-pyramid script installed beside\n"
         "quorutil: --tool gdaladdo-pyramid.\n",
         pyramidCommand},
        {"gps",
         "GPS time: date, time, las",
         {},
         {},
         "GPS time as the sensor records it: WEEK counts whole weeks from the GPS week epoch\n"
         "1999-08-22, SECONDS count seconds from it. Beside each GPS date the UTC date and time\n"
         "are shown: GPS less the leap seconds in force.\n",
         nullptr},
        {"gps date",
         "the calendar date of a week and a time in it",
         {integerArg("WEEK", 0, 8125), numberArg("SECONDS_OF_WEEK", 0, 604800).below()},
         {flag("--full-week",
               "WEEK counts from the GPS origin 1980-01-06, as receivers, RINEX "
               "and trajectory files count it (up to 8125)"),
          flag("--json",
               "a JSON object: \"week\", \"secondsOfWeek\", \"weeksFrom\", \"gps\" "
               "and \"utc\" (ISO 8601) and \"gpsMinusUtc\"")},
         "Prints the GPS date and time of a week and a time in it, in ISO 8601. WEEK counts\n"
         "from 1999-08-22 (up to 7101), as the library does; a receiver's full week counts from\n"
         "1980-01-06 (--full-week). A date in the future is warned about on standard error.\n",
         gpsDate},
        {"gps time",
         "the time of day of SECONDS",
         {numberArg("SECONDS", 0, latestGpsSeconds)},
         {flag("--json",
               "a JSON object: \"seconds\", \"timeOfDay\", \"gps\" and \"utc\" (ISO "
               "8601) and \"gpsMinusUtc\"")},
         nullptr,
         gpsTime},
        {"gps las",
         "the adjusted standard GPS time that LAS point clouds store",
         {numberArg("SECONDS", earliestGpsSeconds - 380684800.0, latestGpsSeconds)},
         {flag("--to-gps", "SECONDS is a LAS time: print the GPS time and date it stands for"),
          flag("--json",
               "a JSON object: \"seconds\", \"las\", \"gps\" and \"utc\" (ISO "
               "8601) and \"gpsMinusUtc\"")},
         "Prints the LAS adjusted standard GPS time (GPS seconds since 1980-01-06 less one\n"
         "thousand million) of SECONDS from 1999-08-22, or with --to-gps the other way round.\n",
         gpsLas},

        {"lut",
         "the lookup table of a tonal curve, its picture and statistics",
         {fileArg("CURVE").orStdin()},
         {integer("--samples", "N", 1, 1 << 24,
                  "entries of the table (entry i at input level i/(N-1)); without it 65536 "
                  "entries, one per 16-bit level (entry i at i/65536)"),
          text("--band", "B",
               "the band of a file that holds several: a break-point file or the "
               "curve editor's file, in either's words (RED or Red, NIR or "
               "Infrared); an editor's band without a curve of its own takes "
               "\"All\""),
          choice("--format", "text|csv|binary",
                 "text: one output level a line (default); csv: index,input,output; binary: "
                 "32-bit little-endian floats"),
          path("--output", "OUT", "write the table to OUT instead of standard output").alias("-o"),
          flag("--validate", "check a Corrector element against tonalcurve.xsd first"),
          path("--plot", "OUT.png",
               "draw the nodes and the table as a PNG picture (every band "
               "of a break-point file unless --band)"),
          integer("--width", "W", 50, 20000, "width of the picture in pixels (default 800)"),
          integer("--height", "H", 50, 20000, "height of the picture in pixels (default 600)"),
          flag("--stats",
               "the table's range, the entries outside the nodes (extrapolated or "
               "held) and whether the table is monotonic"),
          flag("--check", "exit code 1 when the table falls anywhere (float noise aside)")},
         "Builds the lookup table of a tonal curve. CURVE is an XML file holding a Corrector\n"
         "element, a file of the curve editor (one curve per band) or a break-point file.\n",
         lutCommand},
        {"lut apply",
         "apply tonal curves to a raster through GDAL",
         {fileArg("CURVE"), fileArg("INPUT")},
         {path("--output", "OUTPUT", "the raster to write").alias("-o").needed(),
          text("--bands", "LIST",
               "the band code of each raster band, in band order (RED,GRN,BLU,NIR); without "
               "it bands are matched by description or colour interpretation"),
          integer("--max-value", "N", 1, 65535,
                  "the level of 1.0 where the curve gives none (default: the data type's range, "
                  "or 2^NBITS - 1)"),
          text("--co", "NAME=VALUE", "a creation option of the output driver").repeat(),
          text("--of", "DRIVER", "the GDAL driver of OUTPUT (default GTiff)"),
          integer("--threads", "N", 1, 64, "threads that read and map blocks (default 1)"),
          choice("--progress", "none|std|fancy",
                 "fancy: one line redrawn in place (default on a terminal); std: plain lines "
                 "(default otherwise); none: nothing")},
         "Writes OUTPUT, the raster INPUT with every band mapped through its tonal curve. CURVE\n"
         "is a Corrector file (one curve for every band) or a break-point file (one curve per\n"
         "band code, its max_value the level of 1.0). Unsigned 8- and 16-bit rasters only;\n"
         "size, data type, georeferencing, nodata, band descriptions, colour interpretation and\n"
         "metadata are kept. OUTPUT is replaced only when the whole raster was written.\n",
         lutApply},
        {"bpf", "break-point files: show", {}, {}, nullptr, nullptr},
        {"bpf show",
         "print the bands of a break-point file",
         {fileArg("FILE").orStdin()},
         {flag("--json",
               "a JSON object: \"file\" and \"bands\", each with \"band\", "
               "\"interpolation\" and \"nodes\"")},
         "Prints the bands of a break-point file, in file order, with the interpolation and\n"
         "the normalised nodes (input level, output level) of each. A file that holds no band\n"
         "(a curve file, any other XML) is refused.\n",
         bpfShow},
        {"curves",
         "the tonal-curve editor",
         {fileArg("FILE").maybe()},
         {choice("--band", "All|Red|Green|Blue|Infrared", "the band to edit first"),
          path("--image", "RASTER",
               "show the raster's histograms behind the curves and a preview of it with the "
               "curves applied (any raster GDAL reads, at reduced size; File > Open image in "
               "the window)"),
          path("--screenshot", "OUT.png",
               "draw the window into a PNG picture instead of "
               "opening it"),
          integer("--width", "W", 200, 10000, "width of the picture in pixels (default 900)"),
          integer("--height", "H", 200, 10000, "height of the picture in pixels (default 640)")},
         "Opens the tonal-curve editor on FILE: curves saved by the editor, an XML file holding\n"
         "a Corrector element (it becomes the curve for all bands), or a break-point file (its\n"
         "bands become Red, Green, Blue and Infrared). Without FILE the editor starts with the\n"
         "identity. In the window: File > Open, Open image, Import break points, Save; Edit >\n"
         "Undo, Redo; Help > Mouse and keys lists every binding.\n"
         "The window needs a display (DISPLAY or WAYLAND_DISPLAY; QT_QPA_PLATFORM=offscreen\n"
         "does for --screenshot).\n",
         curvesCommand},
    };
}

} // namespace

const std::vector<CommandSpec> &commandTable()
{
    static const std::vector<CommandSpec> table = makeTable();
    return table;
}

const CommandSpec *findCommand(const QString &path)
{
    for (const CommandSpec &command : commandTable()) {
        if (path == QLatin1String(command.path))
            return &command;
    }
    return nullptr;
}

std::vector<const CommandSpec *> subcommandsOf(const CommandSpec &command)
{
    std::vector<const CommandSpec *> subs;
    const std::string prefix = std::string(command.path) + " ";
    for (const CommandSpec &entry : commandTable()) {
        if (std::string(entry.path).rfind(prefix, 0) == 0)
            subs.push_back(&entry);
    }
    return subs;
}

} // namespace quorutil
