"""File operations, INI merging, XML checks and times: errno and filename on failures, paths
of every accepted type, interrupted copies that change nothing."""

import datetime
import errno
import os
import pathlib
import signal

import pytest

import quorutil
from conftest import SOURCE_DIR


def test_system_errors_carry_errno_and_filename(tmp_path):
    missing = tmp_path / "missing"
    (tmp_path / "file").write_text("x")
    (tmp_path / "dir").mkdir()
    rows = [
        (lambda: quorutil.SupportFile.read(missing), FileNotFoundError, errno.ENOENT, missing),
        (lambda: quorutil.WorldFile.read(tmp_path / "dir"), IsADirectoryError, errno.EISDIR,
         tmp_path / "dir"),
        (lambda: quorutil.copy_file(missing, tmp_path / "c"), FileNotFoundError, errno.ENOENT,
         missing),
        (lambda: quorutil.remove_tree(missing), FileNotFoundError, errno.ENOENT, missing),
        (lambda: quorutil.remove_tree(tmp_path / "file"), NotADirectoryError, errno.ENOTDIR,
         tmp_path / "file"),
        (lambda: quorutil.read_break_points(missing), FileNotFoundError, errno.ENOENT, missing),
        (lambda: quorutil.merge_ini(missing, tmp_path / "file"), FileNotFoundError,
         errno.ENOENT, missing),
        (lambda: quorutil.products(["REDN00A"], config=missing), FileNotFoundError,
         errno.ENOENT, missing),
        (lambda: quorutil.copy_file(tmp_path / "file", missing / "c"), FileNotFoundError,
         errno.ENOENT, missing / "c"),
        (lambda: quorutil.SupportFile().write(missing / "s.sup"), FileNotFoundError,
         errno.ENOENT, missing / "s.sup"),
        (lambda: quorutil.WorldFile(0, 0, 1, 1).write(missing / "w.tfw"), FileNotFoundError,
         errno.ENOENT, missing / "w.tfw"),
        (lambda: quorutil.LinkFile("a.tif", missing / "a.lik").write(), FileNotFoundError,
         errno.ENOENT, missing / "a.lik"),
        (lambda: quorutil.TonalCurve.read(tmp_path / "dir"), IsADirectoryError, errno.EISDIR,
         tmp_path / "dir"),
        (lambda: quorutil.validate_xml(missing, "products.xsd"), FileNotFoundError,
         errno.ENOENT, missing),
        (lambda: quorutil.rename_support_file_name("SN3001_110115_123458_PANF02AL1", missing),
         FileNotFoundError, errno.ENOENT, missing),
        (lambda: quorutil.apply_curve(missing, tmp_path / "file", tmp_path / "o.tif"),
         FileNotFoundError, errno.ENOENT, missing),
    ]
    for i, (call, kind, number, name) in enumerate(rows):
        with pytest.raises(kind) as e:
            call()
        assert e.value.errno == number, i
        assert e.value.filename == str(name), i


@pytest.mark.skipif(os.geteuid() == 0, reason="root reads every file")
def test_unreadable_files_raise_permission_error(tmp_path):
    path = tmp_path / "locked.sup"
    path.write_text("support_file d\n")
    path.chmod(0)
    with pytest.raises(PermissionError) as e:
        quorutil.SupportFile.read(path)
    assert e.value.errno == errno.EACCES and e.value.filename == str(path)


def test_paths_may_be_str_bytes_or_path_like(tmp_path):
    raw = os.fsencode(tmp_path) + "/café.tfw".encode()
    with open(raw, "w") as f:
        f.write("1\n0\n0\n-1\n10\n20\n")
    for path in (raw, os.fsdecode(raw), pathlib.Path(os.fsdecode(raw))):
        assert quorutil.WorldFile.read(path).top_left_x == 10.0
    quorutil.copy_file(raw, raw + b".copy")
    with open(raw + b".copy") as f:
        assert f.read().startswith("1\n")
    with pytest.raises(ValueError):
        quorutil.WorldFile.read("a\0b")
    with pytest.raises(TypeError):
        quorutil.WorldFile.read(3)


def test_names_that_are_not_utf8_are_refused_by_name(tmp_path):
    # The library's paths are UTF-8 text: such a name is refused, never taken for another.
    raw = os.fsencode(tmp_path) + b"/caf\xe9.tfw"
    with open(raw, "w") as f:
        f.write("1\n0\n0\n-1\n10\n20\n")
    for call in (quorutil.WorldFile.read, quorutil.SupportFile.read, quorutil.remove_tree,
                 lambda p: quorutil.copy_file(p, tmp_path / "x")):
        with pytest.raises(OSError) as e:
            call(raw)
        assert e.value.errno == errno.EILSEQ
        assert os.fsencode(e.value.filename) == raw


def test_copy_reports_fractions_and_an_interrupted_copy_keeps_the_destination(tmp_path):
    src = tmp_path / "src"
    with open(src, "wb") as f:
        f.truncate(40 << 20)  # five chunks of the copy
    seen = []
    quorutil.copy_file(src, tmp_path / "dst", progress=seen.append)
    assert seen[0] == 0.0 and seen[-1] == 1.0 and seen == sorted(seen)
    assert (tmp_path / "dst").stat().st_size == 40 << 20

    (tmp_path / "dst").write_bytes(b"old")

    def interrupt(fraction):
        if fraction > 0:
            os.kill(os.getpid(), signal.SIGINT)

    with pytest.raises(KeyboardInterrupt):
        quorutil.copy_file(src, tmp_path / "dst", progress=interrupt)
    assert (tmp_path / "dst").read_bytes() == b"old"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["dst", "src"]


def test_remove_tree_refuses_what_it_must_not_delete(tmp_path):
    (tmp_path / "keep").mkdir()
    (tmp_path / "tree" / "sub").mkdir(parents=True)
    (tmp_path / "tree" / "link").symlink_to(tmp_path / "keep")
    quorutil.remove_tree(tmp_path / "tree")
    assert not (tmp_path / "tree").exists() and (tmp_path / "keep").is_dir()
    for refused in ("/", "..", f"{tmp_path}/keep/.", f"{tmp_path}/keep/..//"):
        with pytest.raises(OSError) as e:
            quorutil.remove_tree(refused)
        assert e.value.errno == errno.EINVAL
    assert (tmp_path / "keep").is_dir()


def test_ini_merge_and_xml_checks(tmp_path):
    (tmp_path / "src.ini").write_text("[a]\nx=1\ny=2\n")
    (tmp_path / "dst.ini").write_text("[a]\nx=9\n")
    quorutil.merge_ini(tmp_path / "src.ini", tmp_path / "dst.ini")
    assert (tmp_path / "dst.ini").read_text().splitlines()[:3] == ["[a]", "x=9", "y=2"]

    schemas = SOURCE_DIR / "resources" / "etc" / "schemas"
    curve = SOURCE_DIR / "tests" / "data" / "tonal" / "corrector_gamma.xml"
    assert quorutil.validate_xml(SOURCE_DIR / "resources" / "etc" / "products.xml",
                                 "products.xsd", schemas)
    assert not quorutil.validate_xml(curve, "products.xsd", schemas)
    with pytest.raises(ValueError, match="Invalid schema file"):
        quorutil.validate_xml(curve, "none.xsd", schemas)
    (tmp_path / "a.xml").write_text('<r><x a="1" b="2"/><y/></r>')
    (tmp_path / "b.xml").write_text('<r><y/><x b="2" a="1"/></r>')
    (tmp_path / "c.xml").write_text('<r><y/><x b="3" a="1"/></r>')
    assert quorutil.compare_xml(tmp_path / "a.xml", tmp_path / "b.xml")
    assert not quorutil.compare_xml(tmp_path / "a.xml", tmp_path / "c.xml")


UTC = datetime.timezone.utc


@pytest.mark.parametrize(
    "week,seconds,full,expected",
    [
        (0, 0, False, datetime.datetime(1999, 8, 22, tzinfo=UTC)),
        (0, 0, True, datetime.datetime(1980, 1, 6, tzinfo=UTC)),
        (1024, 0, True, datetime.datetime(1999, 8, 22, tzinfo=UTC)),
        (2238, 345600.25, True, datetime.datetime(2022, 12, 1, 0, 0, 0, 250000, tzinfo=UTC)),
        (1214, 86399, False, datetime.datetime(2022, 11, 27, 23, 59, 59, tzinfo=UTC)),
    ],
)
def test_gps_datetime(week, seconds, full, expected):
    got = quorutil.gps_datetime(week, seconds, full_week=full)
    assert got == expected and got.tzinfo is not None


def test_las_times_agree_with_gps_weeks():
    t = 1214 * 604800 + 3600  # seconds since 1999-08-22
    adjusted = quorutil.las_adjusted_time(t)
    assert quorutil.las_datetime(adjusted) == quorutil.gps_datetime(1214, 3600)


def test_ctrl_c_stops_a_copy_waiting_in_the_library(tmp_path):
    # The copy reads a FIFO, so it is inside the library (GIL released, no callback) when
    # SIGINT comes; the next chunk hands control to the check, which raises.
    import threading
    import time

    fifo = tmp_path / "stream"
    os.mkfifo(fifo)
    dst = tmp_path / "dst"
    dst.write_bytes(b"old")

    def feed():
        try:
            with open(fifo, "wb") as f:
                f.write(b"x" * 65536)
                f.flush()
                time.sleep(0.2)
                os.kill(os.getpid(), signal.SIGINT)
                time.sleep(0.2)
                f.write(b"y" * 65536)
        except BrokenPipeError:
            pass

    feeder = threading.Thread(target=feed)
    feeder.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            quorutil.copy_file(fifo, dst)
    finally:
        feeder.join()
    assert dst.read_bytes() == b"old"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["dst", "stream"]
