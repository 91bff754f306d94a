"""Hostile arguments at every public callable: each raises an ordinary exception, none takes
the interpreter down."""

import inspect
import itertools
import math
import os

import pytest

import quorutil
from conftest import TONAL_DATA

# A copy in the test's own folder: calls that write are thrown this name too.
CURVE = "curve.xml"


class PathLikeOfInt(os.PathLike):
    def __fspath__(self):
        return 3


class Exploding:
    def __fspath__(self):
        raise RuntimeError("boom")

    def __iter__(self):
        raise RuntimeError("boom")

    def __call__(self, *args):
        raise RuntimeError("boom")


HOSTILE = [
    None, True, 0, -1, 2**31, 2**63, 2**200, -(2**200), math.nan, math.inf, -math.inf, 1e308,
    "", "/", "..", ".", "x\0y", "\udcff", "nonexistent", b"", b"\xff\xfe", b"a\0b",
    [], [None], ["REDN00A", 3], [(math.nan, math.inf)], [(0, 0)] * 3, {}, {"RED": 1},
    object(), PathLikeOfInt(), Exploding(), print, CURVE, CURVE.encode(), ("a", "b"),
]

KEYWORDS = ["progress", "threads", "samples", "band", "bands", "selected", "config", "level",
            "strict", "full_week", "id", "interpolation", "max_value"]


def callables():
    """Every public function, constructor, static method and method of the module, with an
    instance to call methods on."""
    curve = quorutil.TonalCurve([(0, 0), (0.5, 0.6), (1, 1)], "spline")
    instances = {
        quorutil.SupportFile: quorutil.SupportFile(),
        quorutil.WorldFile: quorutil.WorldFile(0, 0, 1, 1),
        quorutil.LinkFile: quorutil.LinkFile("a.tif", "a.lik"),
        quorutil.TonalCurve: curve,
    }
    for name in quorutil.__all__:
        obj = getattr(quorutil, name)
        if not inspect.isclass(obj):
            yield name, obj
            continue
        yield name, obj
        for attr, member in vars(obj).items():
            if attr.startswith("_") and attr not in ("__eq__",):
                continue
            bound = getattr(instances[obj], attr)
            if callable(bound):
                yield f"{name}.{attr}", bound


@pytest.mark.parametrize("name,call", list(callables()),
                         ids=lambda v: v if isinstance(v, str) else "")
def test_hostile_arguments_raise_ordinary_exceptions(tmp_path, name, call):
    (tmp_path / CURVE).write_bytes((TONAL_DATA / "corrector_spline.xml").read_bytes())
    for arity in range(4):
        for value in HOSTILE:
            for args in [tuple([value] * arity),
                         tuple([str(CURVE)] + [value] * (arity - 1)) if arity else ()]:
                try:
                    call(*args)
                except Exception:
                    pass
    for keyword, value in itertools.product(KEYWORDS, HOSTILE):
        for args in [(), ("REDN00A",), (CURVE, "in.tif", "out.tif"), (["REDN00A"],)]:
            try:
                call(*args, **{keyword: value})
            except Exception:
                pass


def test_huge_tables_and_thread_counts_are_refused_not_attempted():
    curve = quorutil.TonalCurve([(0, 0), (1, 1)])
    with pytest.raises(ValueError):
        curve.lookup_table(2**31 - 1)
    with pytest.raises(ValueError):
        quorutil.apply_curve(curve, "in.tif", "out.tif", threads=2**31 - 1)


def test_hostile_values_set_on_every_settable_field():
    record = quorutil.SupportFile()
    settable = [name for name, p in vars(quorutil.SupportFile).items()
                if isinstance(p, property) and p.fset is not None]
    assert "image_id" in settable and "grid_name" in settable
    for name, value in itertools.product(settable, HOSTILE):
        try:
            setattr(record, name, value)
        except Exception:
            pass
    record.to_dict()


def test_values_that_do_not_fit_their_field_are_type_errors():
    record = quorutil.SupportFile()
    with pytest.raises(TypeError):
        record.zone = 2**40
    with pytest.raises(TypeError):
        quorutil.TonalCurve([(0, 0), (1, 1)]).lookup_table(2**40)
    with pytest.raises(TypeError):
        quorutil.generate_name("$PROJECT$", line_number=-1)
