"""Type stubs of the package quorutil."""

import datetime
from typing import Sequence, overload

from ._quorutil import (
    ImageFile as ImageFile,
    LinkFile as LinkFile,
    Progress as Progress,
    StrPath as StrPath,
    SupportFile as SupportFile,
    TonalCurve as TonalCurve,
    WorldFile as WorldFile,
    apply_curve as apply_curve,
    check_support_file as check_support_file,
    compare_xml as compare_xml,
    copy_file as copy_file,
    generate_name as generate_name,
    image_code as image_code,
    las_adjusted_time as las_adjusted_time,
    master_band as master_band,
    merge_ini as merge_ini,
    nir_channel as nir_channel,
    parse_support_file_name as parse_support_file_name,
    read_break_points as read_break_points,
    remove_tree as remove_tree,
    rename_support_file_name as rename_support_file_name,
    split_image_code as split_image_code,
)

def gps_datetime(
    week: int, seconds_of_week: float, full_week: bool = False
) -> datetime.datetime:
    """Aware UTC datetime of a GPS week (from 1999-08-22, or 1980-01-06 with full_week)."""

def las_datetime(adjusted_standard_time: float) -> datetime.datetime:
    """The instant of a LAS adjusted standard GPS time."""

def installation_root() -> str:
    """The suite's installation root: $QUOR_DEVELOP, else the root beside the package."""

@overload
def products(
    bands: Sequence[str], selected: None = None, config: StrPath | None = None
) -> list[str]: ...
@overload
def products(
    bands: Sequence[str], selected: Sequence[str], config: StrPath | None = None
) -> dict[str, bool]: ...
def validate_xml(path: StrPath, schema: StrPath, schema_dir: StrPath | None = None) -> bool:
    """Whether the XML file is valid against the schema (default: the installation's)."""
