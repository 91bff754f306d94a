#!/usr/bin/python3
"""make-raster.py OUT SIZE BANDS [GDAL creation options...]: writes a SIZE x SIZE (or SIZE given
as WIDTHxHEIGHT) unsigned 16-bit
GeoTIFF of BANDS bands with georeferencing, nodata and band names, its values a smooth field with
noise (so that a compressor has real work), one block row at a time."""
import sys

import numpy as np
from osgeo import gdal, osr

gdal.UseExceptions()
out, bands = sys.argv[1], int(sys.argv[3])
width, _, height = sys.argv[2].partition("x")
width = int(width)
height = int(height) if height else width
options = sys.argv[4:]
ds = gdal.GetDriverByName("GTiff").Create(out, width, height, bands, gdal.GDT_UInt16, options)
ds.SetGeoTransform([500000, 0.5, 0, 5400000, 0, -0.5])
srs = osr.SpatialReference()
srs.ImportFromEPSG(32633)
ds.SetSpatialRef(srs)
names = ["RED", "GRN", "BLU", "NIR"]
interps = [gdal.GCI_RedBand, gdal.GCI_GreenBand, gdal.GCI_BlueBand, gdal.GCI_Undefined]
for b in range(bands):
    band = ds.GetRasterBand(b + 1)
    band.SetDescription(names[b % 4])
    band.SetColorInterpretation(interps[b % 4])
    band.SetNoDataValue(0)
rng = np.random.default_rng(1)
step = 256
x = np.arange(width, dtype=np.float64)
for y0 in range(0, height, step):
    rows = min(step, height - y0)
    y = np.arange(y0, y0 + rows, dtype=np.float64)[:, None]
    field = 20000 + 15000 * np.sin(x / 700.0) * np.cos(y / 900.0)
    for b in range(bands):
        noise = rng.integers(0, 2000, size=(rows, width))
        ds.GetRasterBand(b + 1).WriteArray((field + noise + 3000 * b).astype(np.uint16), 0, y0)
ds = None
