"""Every public name has a docstring and a type stub; the stubs name nothing that is not there."""

import ast
import inspect
import os
import pathlib
import subprocess
import sys

import quorutil

PACKAGE = pathlib.Path(quorutil.__file__).parent


def stub_names():
    """Top-level names, and class members as Class.member, of both stub files."""
    names = set()
    for stub in ("__init__.pyi", "_quorutil.pyi"):
        tree = ast.parse((PACKAGE / stub).read_text())
        for node in tree.body:
            if isinstance(node, ast.ImportFrom) and node.module == "_quorutil":
                names.update(alias.asname or alias.name for alias in node.names)
            elif isinstance(node, (ast.FunctionDef, ast.ClassDef)):
                names.add(node.name)
            if isinstance(node, ast.ClassDef):
                for member in node.body:
                    if isinstance(member, ast.FunctionDef):
                        names.add(f"{node.name}.{member.name}")
                    elif isinstance(member, ast.AnnAssign):
                        names.add(f"{node.name}.{member.target.id}")
    return names


def public_names():
    for name in quorutil.__all__:
        obj = getattr(quorutil, name)
        yield name, obj
        if inspect.isclass(obj):
            for member, value in vars(obj).items():
                if not member.startswith("_"):
                    yield f"{name}.{member}", value


def test_every_public_name_has_a_docstring_and_a_stub():
    stubs = stub_names()
    assert (PACKAGE / "py.typed").exists()
    for name, obj in public_names():
        assert name in stubs, name
        doc = obj.__doc__ if not isinstance(obj, staticmethod) else obj.__func__.__doc__
        assert doc and doc.strip(), name


def test_stubs_name_only_what_exists():
    for name in stub_names():
        owner, _, member = name.partition(".")
        if owner in ("ImageFile", "StrPath", "Progress", "_products"):
            continue
        obj = getattr(quorutil, owner)
        assert not member or hasattr(obj, member), name


def test_import_names_the_root_for_this_process_alone():
    """The library finds the suite's root; programs this process starts do not inherit it."""
    env = {k: v for k, v in os.environ.items() if k != "QUOR_DEVELOP"}
    code = ("import os, quorutil; assert 'QUOR_DEVELOP' not in os.environ; "
            "print(quorutil.products(['REDN00A', 'GRNN00A', 'BLUN00A']))")
    out = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True,
                         check=True).stdout
    assert "RGBN00A" in out
