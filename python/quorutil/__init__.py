"""quorutil: the utility library of the Quor imagery suite, from Python.

Support, world and link files; support-file names and naming patterns; band and image
codes and products; tonal curves, their lookup tables (numpy) and their application to
rasters; GPS and LAS times; file copy and removal, INI merging, XML checks.

Failures raise Python's own exceptions: OSError subclasses (FileNotFoundError,
PermissionError, ...) with errno and filename for system errors, ValueError naming the file
(and line) for malformed content. Long calls (apply_curve, copy_file) release the GIL, take
a ``progress`` callable that receives the fraction done, and stop on Ctrl+C
(KeyboardInterrupt) leaving their output as it was. A tqdm bar follows them with::

    bar = tqdm(total=1.0)
    quorutil.copy_file(src, dst, progress=lambda f: bar.update(f - bar.n))
"""

import datetime as _datetime
import os as _os

from ._quorutil import (  # noqa: F401
    LinkFile,
    SupportFile,
    TonalCurve,
    WorldFile,
    apply_curve,
    check_support_file,
    compare_xml,
    copy_file,
    generate_name,
    image_code,
    las_adjusted_time,
    master_band,
    merge_ini,
    nir_channel,
    parse_support_file_name,
    read_break_points,
    remove_tree,
    rename_support_file_name,
    split_image_code,
)
from . import _quorutil


__all__ = [
    "LinkFile",
    "SupportFile",
    "TonalCurve",
    "WorldFile",
    "apply_curve",
    "check_support_file",
    "compare_xml",
    "copy_file",
    "generate_name",
    "gps_datetime",
    "image_code",
    "installation_root",
    "las_adjusted_time",
    "las_datetime",
    "master_band",
    "merge_ini",
    "nir_channel",
    "parse_support_file_name",
    "products",
    "read_break_points",
    "remove_tree",
    "rename_support_file_name",
    "split_image_code",
    "validate_xml",
]

_GPS_EPOCH = _datetime.datetime(1980, 1, 6, tzinfo=_datetime.timezone.utc)
# The library counts GPS weeks from the second week epoch (GPS week 1024).
_LIBRARY_EPOCH = _datetime.datetime(1999, 8, 22, tzinfo=_datetime.timezone.utc)
_LAS_OFFSET = 1_000_000_000


def gps_datetime(week, seconds_of_week, full_week=False):
    """The UTC instant of a GPS week and seconds of week, as an aware datetime.

    Weeks count from 1999-08-22 (the library's weeks), or with full_week from 1980-01-06.
    GPS time runs ahead of UTC by the leap seconds since 1980; like the library, this
    applies none of them.
    """
    if isinstance(week, bool) or not isinstance(week, int):
        raise TypeError("week must be an int")
    if not isinstance(seconds_of_week, (int, float)) or isinstance(seconds_of_week, bool):
        raise TypeError("seconds_of_week must be a number")
    if week < 0:
        raise ValueError("week must not be negative")
    if not 0 <= seconds_of_week < 604800:
        raise ValueError("seconds_of_week must lie in [0, 604800)")
    epoch = _GPS_EPOCH if full_week else _LIBRARY_EPOCH
    try:
        return epoch + _datetime.timedelta(weeks=week, seconds=seconds_of_week)
    except OverflowError:
        raise ValueError("week out of range") from None


def las_datetime(adjusted_standard_time):
    """The instant of a LAS file's adjusted standard GPS time (GPS seconds less 10^9)."""
    if not isinstance(adjusted_standard_time, (int, float)) or isinstance(
        adjusted_standard_time, bool
    ):
        raise TypeError("adjusted_standard_time must be a number")
    try:
        return _GPS_EPOCH + _datetime.timedelta(seconds=adjusted_standard_time + _LAS_OFFSET)
    except (OverflowError, ValueError):
        raise ValueError("time out of range") from None


def installation_root():
    """The suite's installation root (etc/products.xml, etc/schemas/ lie there):
    $QUOR_DEVELOP when set, else the library's root beside this package."""
    develop = _os.environ.get("QUOR_DEVELOP")
    if develop:
        return develop.replace("\\", "/")
    from . import _root

    here = _os.path.dirname(_os.path.abspath(__file__))
    return _os.path.normpath(_os.path.join(here, _root.RELATIVE_ROOT))


# The library finds its configuration (quor.ini, etc/) under QUOR_DEVELOP or else beside the
# running executable, which here is the interpreter: name the suite's root instead, for this
# process alone (programs it starts find their own).
if not _os.environ.get("QUOR_DEVELOP"):
    _quorutil._set_installation_root(installation_root())


def products(bands, selected=None, config=None):
    """The products of the configuration that the bands allow, in its order.

    Without selected: a list of product names. With selected (band names among bands): a
    dict of product name to whether all its bands are selected. config is the products
    configuration (default: etc/products.xml of the installation root).
    """
    if config is None:
        config = _os.path.join(installation_root(), "etc", "products.xml")
    return _quorutil._products(bands, selected, config)


def validate_xml(path, schema, schema_dir=None):
    """Whether the XML file at path is valid against the schema, a file name in schema_dir
    (default: etc/schemas of the installation root). OSError when path cannot be read,
    ValueError when the schema cannot be loaded."""
    if schema_dir is None:
        schema_dir = _os.path.join(installation_root(), "etc", "schemas")
    return _quorutil.validate_xml(path, schema, schema_dir)
