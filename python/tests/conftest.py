"""Shared fixtures: the built tool, test data, and small rasters written through GDAL."""

import os
import pathlib
import subprocess

import numpy
import pytest
from osgeo import gdal

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
TONAL_DATA = SOURCE_DIR / "tests" / "data" / "tonal"

gdal.UseExceptions()


@pytest.fixture(autouse=True)
def _own_folder(tmp_path, monkeypatch):
    # Relative paths that a test (or the fuzzing) makes land in its own folder.
    monkeypatch.chdir(tmp_path)
    monkeypatch.setenv("TZ", "UTC")


@pytest.fixture
def tool():
    """Runs the built quorutil tool; returns its completed process."""
    path = os.environ.get("QUOR_TOOL")
    if not path:
        pytest.skip("QUOR_TOOL is not set (ctest sets it)")

    def run(*args, check=True):
        return subprocess.run([path, *map(str, args)], capture_output=True, check=check)

    return run


def write_raster(path, data, block_rows=16, description=None):
    """A GeoTIFF of the uint8/uint16 array data (bands, rows, columns), striped in blocks of
    block_rows rows so that its application runs in several windows."""
    bands, rows, cols = data.shape
    dtype = gdal.GDT_Byte if data.dtype == numpy.uint8 else gdal.GDT_UInt16
    ds = gdal.GetDriverByName("GTiff").Create(
        str(path), cols, rows, bands, dtype, [f"BLOCKYSIZE={block_rows}"]
    )
    ds.SetGeoTransform((500000.0, 0.5, 0.0, 5300000.0, 0.0, -0.5))
    for b in range(bands):
        ds.GetRasterBand(b + 1).WriteArray(data[b])
    ds = None


def read_raster(path):
    ds = gdal.Open(str(path))
    return numpy.stack([ds.GetRasterBand(b + 1).ReadAsArray() for b in range(ds.RasterCount)])


def random_raster(path, seed, shape=(3, 96, 80), dtype=numpy.uint8):
    rng = numpy.random.default_rng(seed)
    top = numpy.iinfo(dtype).max
    write_raster(path, rng.integers(0, top + 1, size=shape, dtype=dtype))
    return path
