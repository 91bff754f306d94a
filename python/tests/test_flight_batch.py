"""The flight example on a LocalCluster of two worker processes: the same files as a serial
run, failures reported while the rest go on, complete images skipped on a rerun."""

import io
import os
import sys

import numpy
import pytest
from osgeo import gdal

from conftest import SOURCE_DIR, TONAL_DATA, random_raster, read_raster

EXAMPLES = SOURCE_DIR / "examples"
sys.path.insert(0, str(EXAMPLES))
import flight_batch  # noqa: E402

CURVE = str(TONAL_DATA / "corrector_gamma.xml")


def overview(path, level):
    ds = gdal.Open(str(path))  # the band dies with its dataset: keep it
    return ds.GetRasterBand(1).GetOverview(level).ReadAsArray()


@pytest.fixture
def cluster_client(monkeypatch):
    from distributed import Client, LocalCluster

    # Worker processes import the example and the module by name.
    path = os.pathsep.join([str(EXAMPLES), os.environ.get("PYTHONPATH", "")])
    monkeypatch.setenv("PYTHONPATH", path)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                      dashboard_address=None, silence_logs=40) as cluster:
        with Client(cluster) as client:
            yield client


def test_two_workers_write_what_a_serial_run_writes(tmp_path, cluster_client):
    flight = tmp_path / "flight"
    flight.mkdir()
    images = [str(random_raster(flight / f"strip{i:02}.tif", seed=i, shape=(3, 64, 48)))
              for i in range(8)]
    (flight / "broken.tif").write_bytes(b"not a raster")
    serial = tmp_path / "serial"
    serial.mkdir()
    for source in images:
        flight_batch.process_image(CURVE, source, str(serial / os.path.basename(source)), [2, 4])

    report = io.StringIO()
    done, skipped, failed = flight_batch.run_batch(
        cluster_client, CURVE, images + [str(flight / "broken.tif")], tmp_path / "out", [2, 4],
        report=report)
    assert len(done) == 8 and skipped == []
    assert [os.path.basename(f[0]) for f in failed] == ["broken.tif"]
    assert "broken.tif" in report.getvalue()
    for source in images:
        name = os.path.basename(source)
        mine, theirs = tmp_path / "out" / name, serial / name
        assert numpy.array_equal(read_raster(mine), read_raster(theirs)), name
        for level in (0, 1):
            assert numpy.array_equal(overview(mine, level), overview(theirs, level)), name

    # A rerun skips complete images; a changed input is done again.
    os.utime(images[3], ns=(0, 0))
    done, skipped, failed = flight_batch.run_batch(
        cluster_client, CURVE, images, tmp_path / "out", [2, 4], report=io.StringIO())
    assert [os.path.basename(d) for d in done] == ["strip03.tif"] and len(skipped) == 7
