"""Type stubs of the compiled part of quorutil (see the package's docstrings)."""

import datetime
import os
from typing import Callable, Mapping, Sequence, TypedDict, Union

import numpy
import numpy.typing

StrPath = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]
Progress = Callable[[float], object]

class ImageFile(TypedDict):
    level: int
    file_name: str
    lines: int
    samples: int

class SupportFile:
    """The record of one image support file; every keyword is a property (settable where the
    record has a setter)."""

    def __init__(self) -> None: ...
    @staticmethod
    def read(path: StrPath, strict: bool = True) -> SupportFile:
        """Reads a support file: OSError (errno, filename) when it cannot be read, ValueError
        (file and line) for malformed content unless strict is False."""
    def write(
        self, path: StrPath, level: int = 2, level0_name: bool = False, relative_names: bool = False
    ) -> None:
        """Writes a level-1 or level-2 file, replacing path whole or not at all."""
    def to_dict(self) -> dict[str, object]:
        """Every keyword (lower case) with its value, in file order."""
    def missing_files(self) -> list[str]:
        """The files the record names that do not exist."""
    @property
    def level(self) -> int:
        """The image level (IMAGE_LEVEL)."""
    @property
    def support_file(self) -> str: ...
    image_id: str
    @property
    def image_file_name(self) -> list[ImageFile]: ...
    rectification_terms: tuple[float, ...]
    grnd_bias: tuple[float, ...]
    bias: float
    gain: float
    ground_zero: tuple[float, ...]
    @property
    def load_pt(self) -> tuple[float, ...]: ...
    coord_system: int
    units: int
    use_fast_math: int
    max_and_min_elevation: tuple[float, ...]
    image_motion: int
    initialized: int
    status: int
    photo_date: datetime.datetime | int
    quality: int
    sensor_type: str
    mean_terrain_height: float
    @property
    def anchor_latitude(self) -> float: ...
    @property
    def anchor_longitude(self) -> float: ...
    line_staggered: bool
    view_of_line: str
    radiometric_property: str
    @property
    def image_date(self) -> datetime.datetime | int: ...
    number_scan_lines: int
    sensor_rotation: bool
    correction: str
    level_0_gsd: float
    original_orientation: str
    adjusted_orientation: str
    original_calibration: str
    adjusted_calibration: str
    local_origin: tuple[float, ...]
    @property
    def basis(self) -> tuple[float, ...]: ...
    level_0_name: str
    rect_scale: float
    rect_rotation: float
    @property
    def rect_xoffset(self) -> float: ...
    @property
    def rect_yoffset(self) -> float: ...
    rect_height: float
    rect_use_calibration: bool
    @property
    def footprint_ll_sample(self) -> float: ...
    @property
    def footprint_ll_line(self) -> float: ...
    @property
    def footprint_ur_sample(self) -> float: ...
    @property
    def footprint_ur_line(self) -> float: ...
    @property
    def lat_ref(self) -> float: ...
    @property
    def lat_scale(self) -> float: ...
    @property
    def lon_ref(self) -> float: ...
    @property
    def lon_scale(self) -> float: ...
    @property
    def h_ref(self) -> float: ...
    @property
    def h_scale(self) -> float: ...
    @property
    def l_ref(self) -> float: ...
    @property
    def l_scale(self) -> float: ...
    @property
    def s_ref(self) -> float: ...
    @property
    def s_scale(self) -> float: ...
    @property
    def poly20_line(self) -> tuple[float, ...]: ...
    @property
    def poly20_samp(self) -> tuple[float, ...]: ...
    @property
    def interline_dist(self) -> float: ...
    @property
    def interpixel_dist(self) -> float: ...
    ellipsoid: str
    vertical_reference: int
    @property
    def a_earth(self) -> float: ...
    @property
    def e_earth(self) -> float: ...
    ellipsoid_center: tuple[float, ...]
    projection_type: str
    zone: int
    @property
    def middle_latitude(self) -> float: ...
    @property
    def central_meridian(self) -> float: ...
    @property
    def central_scale_factor(self) -> float: ...
    @property
    def standard_parallel1(self) -> float: ...
    @property
    def standard_parallel2(self) -> float: ...
    @property
    def origin_latitude(self) -> float: ...
    @property
    def origin_longitude(self) -> float: ...
    @property
    def false_northing_pos(self) -> float: ...
    @property
    def false_northing_neg(self) -> float: ...
    @property
    def false_easting_pos(self) -> float: ...
    @property
    def false_easting_neg(self) -> float: ...
    grid_name: str

def check_support_file(path: StrPath) -> list[str]:
    """The paths the support file names that do not exist."""

class WorldFile:
    """The six numbers of a world file (.tfw)."""

    def __init__(
        self, top_left_x: float, top_left_y: float, cell_size_x: float, cell_size_y: float
    ) -> None: ...
    @staticmethod
    def read(path: StrPath) -> WorldFile:
        """OSError when the file cannot be read, ValueError without six numbers."""
    def write(
        self, path: StrPath, coordinate_precision: int = 10, cell_size_precision: int = 10
    ) -> None:
        """Writes the six lines, replacing path whole or not at all."""
    def minify(self, factor: float) -> None:
        """One new pixel covers factor x factor old ones."""
    def offset(self, dx: float, dy: float) -> None:
        """Moves the grid by dx, dy map units."""
    @property
    def top_left_x(self) -> float: ...
    @property
    def top_left_y(self) -> float: ...
    @property
    def cell_size_x(self) -> float: ...
    @property
    def cell_size_y(self) -> float:
        """Positive for a north-up grid."""
    @property
    def rot_x(self) -> float: ...
    @property
    def rot_y(self) -> float: ...
    @property
    def gdal_geotransform(self) -> tuple[float, float, float, float, float, float]:
        """GDAL's corner-based six numbers: rasterio.Affine.from_gdal(*wf.gdal_geotransform)."""

class LinkFile:
    """An image link file (.lik) naming where an image is."""

    def __init__(self, image_path: StrPath, link_path: StrPath) -> None: ...
    @staticmethod
    def read(path: StrPath) -> LinkFile:
        """OSError or ValueError on failure."""
    def write(self) -> None:
        """Writes the link file at link_path, whole or not at all."""
    image_path: str
    link_path: str
    def image_exists(self) -> bool: ...
    def link_exists(self) -> bool: ...
    @staticmethod
    def link_path_for(path: StrPath) -> str:
        """<absolute folder of path>/<name up to its last dot>.lik"""

class TonalCurve:
    """Nodes (input, output) on the scale 0..1 and their interpolation."""

    def __init__(
        self,
        nodes: Sequence[tuple[float, float]] = ...,
        interpolation: str = "linear",
        max_value: int = 0,
    ) -> None: ...
    @staticmethod
    def read(path: StrPath, band: str | None = None) -> TonalCurve:
        """A curve file, or one band of a break-point file."""
    def lookup_table(self, samples: int | None = 65536) -> numpy.typing.NDArray[numpy.float32]:
        """samples entries at i/(samples-1); None: 65536 entries at i/65536."""
    @property
    def nodes(self) -> list[tuple[float, float]]: ...
    @property
    def interpolation(self) -> str:
        """'linear', 'spline' or 'gamma'."""
    max_value: int

def read_break_points(path: StrPath) -> dict[str, TonalCurve]:
    """Every band's curve of a break-point file."""

def apply_curve(
    curve: TonalCurve | Mapping[str, TonalCurve] | StrPath,
    input: StrPath,
    output: StrPath,
    bands: Sequence[str] | None = None,
    threads: int = 0,
    progress: Progress | None = None,
    driver: str = "GTiff",
    creation_options: Sequence[str] | None = None,
) -> None:
    """Maps every band of input through its curve into output (GIL released, interruptible)."""

def copy_file(src: StrPath, dst: StrPath, progress: Progress | None = None) -> None:
    """Copies src to dst by the library's replacement rule (GIL released, interruptible)."""

def remove_tree(path: StrPath) -> None:
    """Deletes a directory tree without following links."""

def merge_ini(source: StrPath, destination: StrPath) -> None:
    """Adds what source has and destination lacks to destination."""

def validate_xml(path: StrPath, schema: StrPath, schema_dir: StrPath | None = None) -> bool:
    """Whether the XML file is valid against the schema."""

def compare_xml(a: StrPath, b: StrPath) -> bool:
    """Whether two XML files' root elements are equal, order aside."""

def las_adjusted_time(seconds: int) -> int:
    """LAS adjusted standard GPS time of seconds since 1999-08-22."""

def parse_support_file_name(name: str) -> dict[str, str]:
    """The attributes of a support-file name."""

def generate_name(
    pattern: str,
    *,
    line_number: int = ...,
    line_name: str = ...,
    serial_number: int = ...,
    sensor_type: str = ...,
    date_time: datetime.datetime = ...,
    band: str = ...,
    project: str = ...,
    flight_plan: str = ...,
    use_example: bool = ...,
) -> str:
    """A name from an XML FilePattern or a token pattern."""

def rename_support_file_name(
    name: str, pattern_file: StrPath, id: str | None = None, ignore_prefix_error: bool = False
) -> str:
    """The name a naming pattern builds from a support-file name."""

def master_band(bands: Sequence[str]) -> int:
    """Index of the reference band of a set."""

def nir_channel(bands: Sequence[str]) -> int:
    """Index of the first near-infrared band, or -1."""

def image_code(bands: Sequence[str]) -> str:
    """The image code of bands."""

def split_image_code(code: str) -> list[str]:
    """The band names of an image code."""

def _products(
    bands: Sequence[str], selected: Sequence[str] | None, config: StrPath
) -> list[str] | dict[str, bool]: ...
