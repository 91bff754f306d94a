#!/usr/bin/python3
"""Writes a synthetic four-band airborne scene (red, green, blue, near infrared; 16 bits a
sample) as a tiled GeoTIFF with band descriptions RED, GRN, BLU and NIR on a 0.5 m grid in UTM
zone 32N. Terrain, water, forest, fields and a road come from seeded noise, so the image is the
same on every run.

Usage: make-landscape.py OUT.tif [SIZE]   (SIZE pixels square, default 1024)
"""

import sys

import numpy as np
from osgeo import gdal


def fractal(rng, n, slope):
    """Noise with a power-law spectrum: large features strong, small ones weak."""
    fx = np.fft.fftfreq(n)[:, None]
    fy = np.fft.fftfreq(n)[None, :]
    f = np.sqrt(fx * fx + fy * fy)
    f[0, 0] = 1.0
    spectrum = (rng.normal(size=(n, n)) + 1j * rng.normal(size=(n, n))) / f**slope
    spectrum[0, 0] = 0
    field = np.real(np.fft.ifft2(spectrum))
    return (field - field.min()) / (field.max() - field.min())


def scene(n, seed=7):
    rng = np.random.default_rng(seed)
    height = fractal(rng, n, 1.6)
    detail = fractal(rng, n, 1.0)
    moisture = fractal(rng, n, 1.3)

    # Sun from the north-west over the terrain.
    gy, gx = np.gradient(height * n * 0.35)
    shade = np.clip(0.75 + 0.9 * (-gx * 0.6 - gy * 0.6) / np.sqrt(1 + gx * gx + gy * gy), 0.35, 1.25)

    # Reflectance of each cover in red, green, blue, near infrared.
    covers = {
        "water": (0.025, 0.045, 0.070, 0.015),
        "forest": (0.035, 0.070, 0.040, 0.380),
        "meadow": (0.095, 0.120, 0.060, 0.300),
        "crop": (0.050, 0.125, 0.040, 0.480),
        "soil": (0.190, 0.160, 0.120, 0.240),
        "stubble": (0.230, 0.210, 0.160, 0.290),
        "road": (0.210, 0.210, 0.215, 0.230),
    }
    cover = np.full((n, n), "meadow", dtype=object)
    yy, xx = np.mgrid[0:n, 0:n]

    # Fields: a slightly rotated grid of parcels in the lowlands, each sown with one crop.
    angle = 0.18
    u = (xx * np.cos(angle) + yy * np.sin(angle)) / (n / 9.0)
    v = (-xx * np.sin(angle) + yy * np.cos(angle)) / (n / 13.0)
    parcel = (np.floor(u).astype(int) * 131 + np.floor(v).astype(int) * 17) % 97
    crops = np.array(["crop", "soil", "stubble", "meadow", "crop"], dtype=object)
    fields = crops[parcel % len(crops)]
    lowland = (height > 0.30) & (height < 0.66)
    cover[lowland] = fields[lowland]
    cover[(height >= 0.66) | ((moisture > 0.80) & (height > 0.30))] = "forest"
    cover[height <= 0.30] = "water"

    # A road across the scene, winding with the terrain.
    centre = n * 0.55 + 0.08 * n * np.sin(xx / n * 5.0) + 0.05 * n * (height - 0.5)
    cover[(np.abs(yy - centre) < max(2, n // 300)) & (height > 0.30)] = "road"

    bands = np.zeros((4, n, n))
    for name, refl in covers.items():
        mask = cover == name
        for b in range(4):
            bands[b][mask] = refl[b]
    # Texture: rough in forest, smooth inside a field, each parcel a little brighter or darker
    # than its neighbours.
    rough = np.where(cover == "forest", 0.45, 0.08)
    bands *= (1.0 - rough / 2 + rough * detail)[None, :, :]
    parcel_tone = 0.8 + 0.4 * ((parcel * 37) % 11) / 10.0
    bands[:, lowland & (cover != "road")] *= parcel_tone[lowland & (cover != "road")][None, :]
    water = cover == "water"
    bands[:, ~water] *= shade[~water][None, :]
    # Haze adds light, most in the blue; the sensor adds a dark level and noise.
    haze = np.array([0.020, 0.028, 0.045, 0.008])[:, None, None]
    dn = (bands + haze) * 52000.0 + 900.0 + rng.normal(scale=60.0, size=bands.shape)
    return np.clip(dn, 0, 65535).astype(">u2")


def write_geotiff(path, bands):
    """Four unsigned 16-bit bands, described as the line sensor's band codes."""
    _, h, w = bands.shape
    gdal.UseExceptions()
    out = gdal.GetDriverByName("GTiff").Create(
        path, w, h, 4, gdal.GDT_UInt16, ["TILED=YES", "COMPRESS=DEFLATE", "PHOTOMETRIC=MINISBLACK"]
    )
    out.SetGeoTransform((465000.0, 0.5, 0.0, 5255000.0, 0.0, -0.5))
    out.SetProjection("EPSG:32632")
    colours = (gdal.GCI_RedBand, gdal.GCI_GreenBand, gdal.GCI_BlueBand, gdal.GCI_Undefined)
    for b, (code, colour) in enumerate(zip(("RED", "GRN", "BLU", "NIR"), colours)):
        band = out.GetRasterBand(b + 1)
        band.WriteArray(bands[b].astype(np.uint16))
        band.SetDescription(code)
        band.SetColorInterpretation(colour)
    out.FlushCache()
    out = None


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.strip().splitlines()[-1])
    n = int(sys.argv[2]) if len(sys.argv) == 3 else 1024
    write_geotiff(sys.argv[1], scene(n))


if __name__ == "__main__":
    main()
