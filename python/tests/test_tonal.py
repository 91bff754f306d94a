"""Tonal curves from Python: tables equal the library's, rasters mapped as the tool maps them,
interrupted runs leave the output as it was."""

import os
import signal

import numpy
import pytest

import quorutil
from conftest import TONAL_DATA, random_raster, read_raster

CURVE_FILES = [
    ("spline", TONAL_DATA / "corrector_spline.xml", None),
    ("gamma", TONAL_DATA / "corrector_gamma.xml", None),
    ("bpf_red", TONAL_DATA / "bpf_bands.xml", "RED"),
    ("bpf_red_lower", TONAL_DATA / "bpf_bands.xml", "red"),
]


@pytest.mark.parametrize("name,path,band", CURVE_FILES, ids=[c[0] for c in CURVE_FILES])
@pytest.mark.parametrize("samples", [None, 65536, 256, 1, 3])
def test_lookup_table_equals_the_tools_table_bit_for_bit(tool, tmp_path, name, path, band, samples):
    curve = quorutil.TonalCurve.read(path, band=band)
    table = curve.lookup_table(samples=samples)
    args = [path, "--format", "binary", "-o", tmp_path / "lut.bin"]
    if samples is not None:
        args += ["--samples", samples]
    if band is not None:
        args += ["--band", band]
    tool("lut", *args)
    expected = numpy.fromfile(tmp_path / "lut.bin", dtype="<f4")
    assert table.dtype == numpy.float32
    assert table.tobytes() == expected.tobytes()


def test_curves_built_in_python_give_the_tables_of_the_same_curve_in_a_file(tmp_path):
    nodes = [(0.0, 0.0), (0.3, 0.5), (1.0, 1.0)]
    (tmp_path / "c.xml").write_text(
        '<Corrector position="0" id="TonalCurve" interpolation="Spline" version="1.0">'
        + "".join(f'<Node x="{x}" y="{y}" position="{i}"/>' for i, (x, y) in enumerate(nodes))
        + "</Corrector>"
    )
    built = quorutil.TonalCurve(nodes, interpolation="spline")
    read = quorutil.TonalCurve.read(tmp_path / "c.xml")
    assert built == read
    assert built.lookup_table(4096).tobytes() == read.lookup_table(4096).tobytes()


def test_break_points_keep_each_bands_scale():
    curves = quorutil.read_break_points(TONAL_DATA / "bpf_bands.xml")
    assert curves["RED"].max_value == 255 and curves["red"].max_value == 4095
    assert curves["RED"].interpolation == "linear" and curves["red"].interpolation == "spline"
    with pytest.raises(ValueError, match="band curves"):
        quorutil.TonalCurve.read(TONAL_DATA / "bpf_bands.xml")
    with pytest.raises(KeyError):
        quorutil.TonalCurve.read(TONAL_DATA / "bpf_bands.xml", band="NIR")


@pytest.mark.parametrize("threads", [1, 3])
def test_apply_curve_writes_what_the_tool_writes(tool, tmp_path, threads):
    src = random_raster(tmp_path / "in.tif", seed=threads)
    curve_path = TONAL_DATA / "corrector_spline.xml"
    tool("lut", "apply", curve_path, src, "-o", tmp_path / "tool.tif")
    seen = []
    quorutil.apply_curve(str(curve_path), src, tmp_path / "py.tif", threads=threads,
                         progress=seen.append)
    assert numpy.array_equal(read_raster(tmp_path / "py.tif"), read_raster(tmp_path / "tool.tif"))
    assert seen[0] == 0.0 and seen[-1] == 1.0 and seen == sorted(seen)
    # A curve object maps exactly as its file does.
    quorutil.apply_curve(quorutil.TonalCurve.read(curve_path), src, tmp_path / "obj.tif")
    assert numpy.array_equal(read_raster(tmp_path / "obj.tif"), read_raster(tmp_path / "py.tif"))


def test_band_curves_from_a_dict_map_as_the_break_point_file_does(tmp_path):
    src = random_raster(tmp_path / "in.tif", seed=7, shape=(2, 40, 30))
    path = TONAL_DATA / "bpf_bands.xml"
    curves = quorutil.read_break_points(path)
    quorutil.apply_curve(path, src, tmp_path / "file.tif", bands=["RED", "red"])
    quorutil.apply_curve(curves, src, tmp_path / "dict.tif", bands=["RED", "red"])
    assert numpy.array_equal(read_raster(tmp_path / "file.tif"), read_raster(tmp_path / "dict.tif"))


class Stop(Exception):
    pass


@pytest.mark.parametrize("threads", [1, 2])
@pytest.mark.parametrize("how", ["exception", "sigint"])
def test_an_interrupted_application_leaves_the_old_output(tmp_path, threads, how):
    src = random_raster(tmp_path / "in.tif", seed=3, shape=(3, 256, 64))
    out = tmp_path / "out.tif"
    out.write_bytes(b"old content")
    calls = []

    def progress(fraction):
        calls.append(fraction)
        if fraction > 0.1:
            if how == "sigint":
                os.kill(os.getpid(), signal.SIGINT)
            else:
                raise Stop()

    expected = KeyboardInterrupt if how == "sigint" else Stop
    with pytest.raises(expected):
        quorutil.apply_curve(TONAL_DATA / "corrector_spline.xml", src, out, threads=threads,
                             progress=progress)
    assert out.read_bytes() == b"old content"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["in.tif", "out.tif"]
    assert max(calls) < 1.0


def test_failures_name_the_file(tmp_path):
    curve = TONAL_DATA / "corrector_spline.xml"
    with pytest.raises(FileNotFoundError) as e:
        quorutil.apply_curve(curve, tmp_path / "missing.tif", tmp_path / "out.tif")
    assert e.value.filename == str(tmp_path / "missing.tif")
    (tmp_path / "not.tif").write_bytes(b"no raster")
    with pytest.raises(ValueError) as e:
        quorutil.apply_curve(curve, tmp_path / "not.tif", tmp_path / "out.tif")
    assert e.value.filename == str(tmp_path / "not.tif")
    with pytest.raises(ValueError):
        quorutil.TonalCurve.read(TONAL_DATA / "bad_corrector_one_node.xml").lookup_table()


def test_creation_options_reach_the_driver(tmp_path):
    from osgeo import gdal

    src = random_raster(tmp_path / "in.tif", seed=5)
    quorutil.apply_curve(TONAL_DATA / "corrector_gamma.xml", src, tmp_path / "out.tif",
                         creation_options=["COMPRESS=DEFLATE", "TILED=YES"])
    ds = gdal.Open(str(tmp_path / "out.tif"))
    assert ds.GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE") == "DEFLATE"
    ds = None
    with pytest.raises(ValueError) as e:
        quorutil.apply_curve(TONAL_DATA / "corrector_gamma.xml", src, tmp_path / "x.tif",
                             driver="NoSuchDriver")
    assert "NoSuchDriver" in str(e.value)
