"""The Python binding against the library built as a shared object (build/python)."""

import os
import re
import struct
import subprocess
import sys
import threading

import pytest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "bindings", "python"))
os.environ.setdefault("TOLVANE_LIBRARY", os.path.join(ROOT, "build", "python", "archive", "libtolvane.so"))

import tolvane  # noqa: E402

SECTOR = 2048


def sectors(data):
    return b"".join(data[i:i + 1] * SECTOR for i in range(len(data)))


def record(name, offset, size):
    return struct.pack("<II24s", offset, size, name.encode())


def read_dir(path):
    raw = open(path, "rb").read()
    return [struct.unpack_from("<II24s", raw, i) for i in range(0, len(raw), 32)]


@pytest.fixture
def paired(tmp_path):
    """models.dir + models.img: a.dff (sectors 0-1, 'A'), b.txd (sector 2, 'B')."""
    (tmp_path / "models.dir").write_bytes(record("a.dff", 0, 2) + record("b.txd", 2, 1))
    (tmp_path / "models.img").write_bytes(sectors(b"AAB"))
    return tmp_path / "models.img"


@pytest.fixture
def single(tmp_path):
    """A VER2 archive: header and directory in sector 0, c.col in sector 1."""
    head = b"VER2" + struct.pack("<i", 1) + record("c.col", 1, 1)
    (tmp_path / "single.img").write_bytes(head.ljust(SECTOR, b"\0") + sectors(b"C"))
    return tmp_path / "single.img"


def source(tmp_path, name, data):
    path = tmp_path / "src" / name
    path.parent.mkdir(exist_ok=True)
    path.write_bytes(data)
    return path


def test_reads_entries_and_data_of_both_layouts(paired, single, tmp_path):
    img = tolvane.Archive(paired)
    assert img.problem is None
    assert img.entries() == [tolvane.Entry(0, "a.dff", 0, 2), tolvane.Entry(1, "b.txd", 2, 1)]
    assert img.read("A.DFF") == sectors(b"AA")
    assert img.read(1) == sectors(b"B")
    img.extract(img.entry("b.txd"), tmp_path / "out.txd")
    assert (tmp_path / "out.txd").read_bytes() == sectors(b"B")
    assert "B.TXD" in img and "c.col" not in img

    ver2 = tolvane.Archive(single)
    assert list(ver2) == [tolvane.Entry(0, "c.col", 1, 1)]
    assert ver2.read("c.col") == sectors(b"C")


def test_failures_raise_with_the_library_message_and_the_process_goes_on(paired, tmp_path):
    img = tolvane.Archive(paired)
    with pytest.raises(tolvane.TolvaneError, match=r"^Cannot create file .*missing"):
        img.extract(0, tmp_path / "missing" / "out.dff")
    with pytest.raises(KeyError):
        img.read("nothing.dff")
    with pytest.raises(FileNotFoundError):
        img.add(tmp_path / "no-such-file")
    # Slots past the count hold copies of other entries: never read or written.
    img.delete("b.txd")
    for call in (img.read, img.entry, img.delete, lambda i: img.extract(i, tmp_path / "x"),
                 lambda i: img.replace(i, paired)):
        for index in (1, 65535, 70000, -1):
            with pytest.raises(IndexError):
                call(index)
    assert len(img) == 1 and not (tmp_path / "x").exists()
    with pytest.raises(FileNotFoundError):
        tolvane.Archive(tmp_path / "missing.img")


def test_create_and_close(tmp_path):
    with tolvane.Archive.create(tmp_path / "new") as img:
        assert len(img) == 0
    assert (tmp_path / "new.img").read_bytes() == b"VER2" + bytes(4)
    paired = tolvane.Archive.create(tmp_path / "pair.img", paired=True)
    assert paired.add(source(tmp_path, "a.dff", b"a")).index == 0
    paired.close()
    for call in (lambda: len(img), paired.entries):  # the with block and close() ended their use
        with pytest.raises(ValueError):
            call()
    with pytest.raises(FileExistsError):
        tolvane.Archive.create(tmp_path / "pair.dir")
    assert len(tolvane.Archive(tmp_path / "pair")) == 1


def test_a_failure_raised_inside_the_library_would_end_a_python_process(paired):
    # Why the binding turns raising off: on Linux the library's failure is a
    # C++ exception, which no C caller catches.
    lib = os.environ["TOLVANE_LIBRARY"]
    code = f"import ctypes; ctypes.CDLL({lib!r}).IMGExportFile(70000, b'x'); print('returned')"
    run = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert run.returncode != 0 and "returned" not in run.stdout


def test_changes_are_stored_on_disk(paired, tmp_path):
    img = tolvane.Archive(paired)
    added = img.add(source(tmp_path, "new.ifp", b"n" * 3000))
    # 3000 bytes take two sectors, appended after the last one in use.
    assert added == tolvane.Entry(2, "new.ifp", 3, 2)
    replaced = img.replace("a.dff", source(tmp_path, "small", b"s" * 10))
    assert replaced == tolvane.Entry(0, "a.dff", 0, 1)  # fits its slot: stays in place
    assert img.read(0)[:11] == b"s" * 10 + b"\0"
    img.delete("b.txd")
    assert [(o, s, n.rstrip(b"\0")) for o, s, n in read_dir(paired.with_suffix(".dir"))] == [
        (0, 1, b"a.dff"), (3, 2, b"new.ifp")]
    assert tolvane.Archive(paired).read("new.ifp")[:3001] == b"n" * 3000 + b"\0"


def test_import_replaces_the_entry_of_the_same_name_or_adds(single, tmp_path):
    img = tolvane.Archive(single)
    replaced = img.import_file(source(tmp_path, "C.COL", b"x" * 5000))
    assert (replaced.index, replaced.name, replaced.size) == (0, "c.col", 3)
    assert img.read("c.col")[:5000] == b"x" * 5000
    added = img.import_file(source(tmp_path, "d.dff", b"d"))
    assert (added.index, added.name, len(img)) == (1, "d.dff", 2)
    named = img.import_file(source(tmp_path, "whatever.bin", b"w"), name="D.dff")
    assert (named.index, len(img)) == (1, 2)
    assert img.read("d.dff")[:2] == b"w\0"


def test_names_too_long_are_refused_unless_cut(paired, tmp_path):
    img = tolvane.Archive(paired)
    long_name = "a_very_long_file_name_of_thirty.dff"
    for call in (img.add, img.import_file):
        with pytest.raises(ValueError, match="name too long"):
            call(source(tmp_path, long_name, b"1"))
    assert len(img) == 2
    assert img.add(source(tmp_path, long_name, b"1"), cut=True).name == long_name[:23]
    assert img.add(source(tmp_path, "other", b"2"), name="chosen.txd").name == "chosen.txd"
    # One byte a letter in cp1251 (a UTF-8 file name would take two).
    assert img.import_file(source(tmp_path, "x", b"3"), name="ж" * 24, cut=True).name == "ж" * 23
    assert [e.name for e in tolvane.Archive(paired)][2:] == [long_name[:23], "chosen.txd", "ж" * 23]


def test_cyrillic_names_in_the_archive_code_page(tmp_path):
    name = "машина.dff".encode("cp1251")
    (tmp_path / "ru.dir").write_bytes(struct.pack("<II24s", 0, 1, name))
    (tmp_path / "ru.img").write_bytes(sectors(b"M"))
    img = tolvane.Archive(tmp_path / "ru.img")
    assert [e.name for e in img] == ["машина.dff"]
    assert "МАШИНА.DFF" in img and img.read("МАШИНА.dff") == sectors(b"M")
    replaced = img.import_file(source(tmp_path, "МАШИНА.dff", b"new"))
    assert (replaced.index, replaced.name, len(img)) == (0, "машина.dff", 1)
    assert read_dir(tmp_path / "ru.dir")[0][2].rstrip(b"\0") == name
    assert tolvane.Archive(tmp_path / "ru.img", encoding="koi8_r").entry(0).name == name.decode("koi8_r")


def test_fragmentation_counts_sectors_no_entry_accounts_for(paired, tmp_path):
    img = tolvane.Archive(paired)
    assert img.fragmentation() == 0
    img.replace("b.txd", source(tmp_path, "big", b"b" * 4096))  # 3 sectors: appended
    # 6 sectors in the .img, entries account for 2 + 3.
    assert img.fragmentation() == 100 // 6


def test_archives_share_the_library_yet_each_works_on_its_own_files(paired, single, tmp_path):
    first, second = tolvane.Archive(paired), tolvane.Archive(single)
    second.add(source(tmp_path, "e.dff", b"e"))
    first.delete("a.dff")
    assert [e.name for e in first] == ["b.txd"]
    assert [e.name for e in second] == ["c.col", "e.dff"]
    # A stale entry is refused rather than taken for whatever now has its index.
    stale = tolvane.Entry(1, "b.txd", 2, 1)
    with pytest.raises(tolvane.TolvaneError, match="no longer at index 1"):
        first.read(stale)


def test_threads_do_not_interleave_their_calls(paired, single, tmp_path):
    errors = []

    def work(path, name):
        try:
            img = tolvane.Archive(path)
            for i in range(20):
                img.add(source(tmp_path, f"{name}{i}", bytes([i])))
        except Exception as e:  # pragma: no cover - reported below
            errors.append(e)

    threads = [threading.Thread(target=work, args=a) for a in ((paired, "p"), (single, "s"))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []
    assert len(tolvane.Archive(paired)) == 22 and len(tolvane.Archive(single)) == 21
    assert tolvane.Archive(single).read("s19")[:1] == b"\x13"


def test_an_archive_not_read_whole_is_reported_and_never_written(tmp_path):
    (tmp_path / "data.img").write_bytes(b"not an archive, and longer than 8 bytes")
    img = tolvane.Archive(tmp_path / "data.img")
    assert img.problem is not None and "was not read whole" in img.problem
    with pytest.raises(tolvane.TolvaneError, match="was not read whole"):
        img.add(source(tmp_path, "x.dff", b"x"))
    assert (tmp_path / "data.img").read_bytes() == b"not an archive, and longer than 8 bytes"


def test_version_is_the_project_version_when_the_library_has_one():
    cmake = open(os.path.join(ROOT, "CMakeLists.txt")).read()
    project = re.search(r"project\(\S+ VERSION (\d+\.\d+\.\d+)", cmake).group(1)
    assert tolvane.library_version() in (None, project)
