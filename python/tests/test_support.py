"""Support, world and link files from Python: the same record as the tool's, the same grid as
GDAL's, failures as Python exceptions."""

import datetime
import json

import pytest
from osgeo import gdal

import quorutil
from conftest import SOURCE_DIR

SUPPORT_DATA = SOURCE_DIR / "tests" / "data" / "support"


def plain(value):
    """A to_dict() value as the tool's JSON writes it."""
    if isinstance(value, tuple):
        return [plain(v) for v in value]
    if isinstance(value, list):
        return [{("fileName" if k == "file_name" else k): v for k, v in e.items()} for e in value]
    if hasattr(value, "timestamp"):
        return int(value.timestamp())
    if isinstance(value, bool):
        return "TRUE" if value else "FALSE"
    return value


@pytest.mark.parametrize("name", ["golden_L1.sup", "golden_L2.sup", "golden_L2_grid_tm.sup"])
def test_every_field_reads_as_the_tool_shows_it(tool, name):
    path = SUPPORT_DATA / name
    shown = json.loads(tool("sup", "show", "--json", path).stdout)[0]
    shown.pop("file")
    shown.pop("present")
    # The record's level-0 name is the path it was read from (the reader's rule); the tool
    # shows the name the file holds.
    shown.pop("LEVEL_0_NAME", None)
    record = quorutil.SupportFile.read(path)
    fields = {k.upper(): plain(v) for k, v in record.to_dict().items()}
    for key, value in shown.items():
        assert key in fields, key
        if isinstance(value, bool):
            value = "TRUE" if value else "FALSE"
        if key.endswith("_DATE"):  # ISO 8601 with its offset in the tool's JSON
            value = int(datetime.datetime.fromisoformat(value).timestamp())
        assert fields[key] == value, key
    assert record.level == (1 if "_L1" in name else 2)
    assert record.image_id == shown["IMAGE_ID"]


@pytest.mark.parametrize("level", [1, 2])
def test_a_written_record_reads_back_unchanged(tmp_path, level):
    record = quorutil.SupportFile.read(SUPPORT_DATA / "golden_L1.sup")
    record.write(tmp_path / "out.sup", level=level)
    again = quorutil.SupportFile.read(tmp_path / "out.sup")
    mine, theirs = record.to_dict(), again.to_dict()
    assert again.level == level
    for key in ("image_id", "ground_zero", "grid_name", "photo_date", "zone"):
        assert mine[key] == theirs[key], key


def test_malformed_content_raises_value_error_with_file_and_line():
    path = SUPPORT_DATA / "bad_number_words.sup"
    with pytest.raises(ValueError, match="line 3") as e:
        quorutil.SupportFile.read(path)
    assert str(path) in str(e.value)
    assert e.value.filename == str(path) and e.value.lineno == 3
    lenient = quorutil.SupportFile.read(path, strict=False)
    assert lenient.gain == 1.25


def test_malformed_world_files_name_their_line(tmp_path):
    (tmp_path / "w.tfw").write_text("1.0\n0.0\nzero\n-1.0\n10\n20\n")
    with pytest.raises(ValueError) as e:
        quorutil.WorldFile.read(tmp_path / "w.tfw")
    assert e.value.filename == str(tmp_path / "w.tfw") and e.value.lineno == 3


def test_check_support_file_lists_the_missing_paths(tmp_path):
    (tmp_path / "a.tif").write_bytes(b"")
    (tmp_path / "s.sup").write_text(
        "support_file d\nIMAGE_LEVEL 2\n"
        f'IMAGE_FILE_NAME 1 "{tmp_path}/a.tif"\nLINES 1\nSAMPLES 1\n'
        f'IMAGE_FILE_NAME 2 "{tmp_path}/b.tif"\nLINES 1\nSAMPLES 1\n'
    )
    assert quorutil.check_support_file(tmp_path / "s.sup") == [f"{tmp_path}/b.tif"]


@pytest.mark.parametrize(
    "geotransform",
    [
        (500000.0, 0.5, 0.0, 5300000.0, 0.0, -0.5),
        (1234.25, 2.0, 0.5, 9876.5, -0.25, -2.0),  # rotated
        (-180.0, 0.0025, 0.0, 90.0, 0.0, -0.0025),
    ],
)
def test_world_file_places_the_grid_gdal_wrote(tmp_path, geotransform):
    ds = gdal.GetDriverByName("GTiff").Create(
        str(tmp_path / "r.tif"), 7, 5, 1, gdal.GDT_Byte, ["TFW=YES"]
    )
    ds.SetGeoTransform(geotransform)
    ds = None
    world = quorutil.WorldFile.read(tmp_path / "r.tfw")
    assert world.gdal_geotransform == pytest.approx(geotransform, rel=1e-12, abs=1e-9)
    # GDAL reads the world file the library writes as the same grid.
    (tmp_path / "r.tif").rename(tmp_path / "s.tif")
    world.write(tmp_path / "s.tfw")
    (tmp_path / "s.tif.aux.xml").unlink(missing_ok=True)
    assert gdal.Open(str(tmp_path / "s.tif")).GetGeoTransform() == pytest.approx(
        geotransform, rel=1e-12, abs=1e-9
    )


def test_minified_world_file_places_gdals_overview(tmp_path):
    world = quorutil.WorldFile(1000.0, 2000.0, 0.5, 0.5)
    world.minify(4)
    x0, dx, _, y0, _, dy = world.gdal_geotransform
    assert (x0, dx, y0, dy) == (999.75, 2.0, 2000.25, -2.0)  # same corner, cells 4 times larger
    world.offset(10, -20)
    assert (world.top_left_x, world.top_left_y) == (1000.0 + 0.75 + 10, 2000.0 - 0.75 - 20)


def test_link_files_round_trip_and_fail_with_errno(tmp_path):
    link = quorutil.LinkFile(tmp_path / "img.tif", tmp_path / "img.lik")
    link.write()
    again = quorutil.LinkFile.read(tmp_path / "img.lik")
    assert again.image_path == str(tmp_path / "img.tif")
    assert not again.image_exists() and again.link_exists()
    assert quorutil.LinkFile.link_path_for(tmp_path / "x.tif") == str(tmp_path / "x.lik")
    with pytest.raises(FileNotFoundError) as e:
        quorutil.LinkFile.read(tmp_path / "none.lik")
    assert e.value.filename == str(tmp_path / "none.lik")
    (tmp_path / "bad.lik").write_text("<reference/>")
    with pytest.raises(ValueError):
        quorutil.LinkFile.read(tmp_path / "bad.lik")


def test_fields_set_from_python_are_written_and_read_back(tmp_path):
    import datetime

    record = quorutil.SupportFile.read(SUPPORT_DATA / "golden_L2.sup")
    record.image_id = "SN3001_110115_123458_RGBN00A_L2"
    record.rect_scale = 0.25
    record.ground_zero = (1.0, 2.0, 3.0)
    record.max_and_min_elevation = (850.0, 120.5)
    record.view_of_line = "BACKWARD"
    record.photo_date = datetime.datetime(2011, 1, 15, 12, 34, 58, tzinfo=datetime.timezone.utc)
    record.write(tmp_path / "out.sup", level=1)
    again = quorutil.SupportFile.read(tmp_path / "out.sup")
    assert again.image_id == "SN3001_110115_123458_RGBN00A_L2"
    assert again.rect_scale == 0.25 and again.ground_zero == (1.0, 2.0, 3.0)
    assert again.view_of_line == "BACKWARD"
    assert again.photo_date == record.photo_date
    with pytest.raises(ValueError):
        record.view_of_line = "SIDEWAYS"
    with pytest.raises(ValueError):
        record.ground_zero = (1.0, 2.0)
    with pytest.raises(AttributeError):
        record.support_file = "x"
