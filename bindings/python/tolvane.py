"""Python binding of tolvane, the IMG archive library (ctypes, standard library only).

    import tolvane
    with tolvane.Archive(r"C:\\game\\models\\gta3.img") as img:
        for entry in img.entries():
            print(entry.index, entry.name, entry.offset, entry.size)
        data = img.read("infernus.dff")
        img.import_file(r"C:\\mods\\infernus.dff")   # replaces the entry of that name, or adds
    new = tolvane.Archive.create(r"C:\\mods\\my.img")    # a new, empty VER2 archive

On Windows it loads tolvane.dll, on Linux libtolvane.so (the same library over
its POSIX file layer): the copy beside this file, else the one the system
finds, or the file named by the environment variable TOLVANE_LIBRARY.

The library turns failures into quiet returns for this process (on Windows they
would otherwise be structured exceptions, on Linux a C++ exception that ends a
Python process), and every failure becomes a TolvaneError with the library's
message.

Entry names are bytes in the archive's 8-bit code page: cp1251 unless an
Archive is given another encoding=.  They compare without case, Latin and
Cyrillic alike.  A name holds at most 23 bytes: a longer one raises
ValueError unless cut=True asks for its first 23.

The library holds one open archive per process.  An Archive therefore keeps
only its path and opens the archive again, under a lock, at the start of each
operation: several Archive objects, threads, or other programs changing the
same files between operations are all seen as they are on disk.  Each change
is stored on disk before the operation returns.
"""

import ctypes
import errno
import os
import sys
import threading
from typing import NamedTuple, Optional, Union

__all__ = ["Archive", "Entry", "TolvaneError", "SECTOR_SIZE", "library_version", "load_library"]

SECTOR_SIZE = 2048
# The library stores at most this many bytes of a name, then a terminating zero.
_MAX_NAME_BYTES = 23
_DEFAULT_ENCODING = "cp1251"


class TolvaneError(Exception):
    """A failed library call; str() is the library's message."""


class Entry(NamedTuple):
    """One directory record; offset and size are counted in sectors of 2048 bytes."""

    index: int
    name: str
    offset: int
    size: int

    @property
    def byte_size(self) -> int:
        return self.size * SECTOR_SIZE


class _Record(ctypes.Structure):
    _pack_ = 1
    _fields_ = [("offset", ctypes.c_uint32), ("size", ctypes.c_uint32), ("name", ctypes.c_char * 24)]


# Paths and names are 8-bit strings: the ANSI code page on Windows, the file
# system's encoding elsewhere.
if sys.platform == "win32":
    def _encode(text):
        text = os.fspath(text)
        return text if isinstance(text, bytes) else text.encode("mbcs")

    def _decode(raw):
        return raw.decode("mbcs", errors="replace")
else:
    def _encode(text):
        return os.fsencode(text)

    def _decode(raw):
        return os.fsdecode(raw)


def _with_extension(path, extension):
    """path with its extension replaced as the library does: after the last '.'
    when no folder separator or ':' follows it, else appended."""
    marks = [".", "\\", "/", ":"]
    if isinstance(path, bytes):
        marks, extension = [m.encode() for m in marks], extension.encode()
    last = max(path.rfind(m) for m in marks)
    return (path[:last] if last >= 0 and path[last:last + 1] == marks[0] else path) + extension


_lock = threading.RLock()
_library = None


def _declare(lib):
    i32, u32, text = ctypes.c_int32, ctypes.c_uint32, ctypes.c_char_p
    signatures = {
        "IMGLoadImg": (i32, [text]),
        "IMGFileCount": (i32, []),
        "IMGGetThisFile": (None, [ctypes.POINTER(_Record), i32]),
        "IMGSetThisFile": (None, [i32, ctypes.POINTER(_Record)]),
        "IMGExportFile": (None, [i32, text]),
        "IMGExportBuffer": (None, [i32, ctypes.c_void_p]),
        "IMGReplaceFile": (None, [i32, text, u32]),
        "IMGAddFile": (None, [text]),
        "IMGReDoDir": (None, []),
        "IMGDelete": (None, [i32]),
        "IMGHowMuchFragmented": (i32, []),
        "IMGGetLastError": (text, []),
        "IMGSetRaiseOnError": (i32, [i32]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype, function.argtypes = restype, argtypes
    # Libraries before 1.1.0 have no version export.
    try:
        lib.IMGGetVersion.restype, lib.IMGGetVersion.argtypes = text, []
    except AttributeError:
        pass


def load_library(path: Optional[str] = None):
    """Loads the library once per process (path, TOLVANE_LIBRARY, beside this file, or by name)."""
    global _library
    with _lock:
        if _library is not None:
            return _library
        name = "tolvane.dll" if sys.platform == "win32" else "libtolvane.so"
        candidates = [path or os.environ.get("TOLVANE_LIBRARY")]
        candidates.append(os.path.join(os.path.dirname(os.path.abspath(__file__)), name))
        candidates = [c for c in candidates if c and os.path.isfile(c)] + [name]
        # The exports are stdcall on 32-bit Windows.
        loader = ctypes.WinDLL if sys.platform == "win32" else ctypes.CDLL
        lib = loader(candidates[0])
        _declare(lib)
        _library = lib
        return lib


def library_version() -> Optional[str]:
    """The library's "MAJOR.MINOR.PATCH", or None for a library without a version export."""
    lib = load_library()
    if not hasattr(lib, "IMGGetVersion"):
        return None
    return lib.IMGGetVersion().decode("ascii")


class Archive:
    """An IMG archive: NAME.img with NAME.dir beside it, or one NAME.img beginning with "VER2".

    close() (or the end of a with block) ends its use: later calls raise ValueError.
    """

    def __init__(self, path, encoding: str = _DEFAULT_ENCODING):
        self.path = path
        self.encoding = encoding
        "".encode(encoding)  # an unknown encoding is a LookupError now, not at the first name
        self._raw_path = _encode(path)
        self._closed = False
        fs_path = os.fspath(path)
        if not any(os.path.isfile(_with_extension(fs_path, ext)) for ext in (".dir", ".img")):
            raise FileNotFoundError(errno.ENOENT, "No such archive", fs_path)
        # Raises when the library cannot be loaded; the archive itself is
        # opened by each operation.
        load_library()
        with self._session():
            pass

    @classmethod
    def create(cls, path, paired: bool = False, encoding: str = _DEFAULT_ENCODING) -> "Archive":
        """Makes a new, empty archive (one VER2 .img, or with paired an empty .dir and .img).
        Raises FileExistsError when either file exists; nothing is overwritten."""
        fs_path = os.fspath(path)
        files = [_with_extension(fs_path, ".img")] + ([_with_extension(fs_path, ".dir")] if paired else [])
        for existing in (files[0], _with_extension(fs_path, ".dir")):
            if os.path.lexists(existing):
                raise FileExistsError(errno.EEXIST, "Archive exists", existing)
        made = []
        try:
            for name in files:
                open(name, "xb").close()
                made.append(name)
            archive = cls(path, encoding)
            # The library writes the empty directory: "VER2" and a count of 0, or an empty .dir.
            with archive._session() as lib:
                lib.IMGReDoDir()
                archive._check(lib)
            return archive
        except BaseException:
            for name in made:
                os.remove(name)
            raise

    def close(self) -> None:
        """Ends the use of this object (no file stays open between calls anyway)."""
        self._closed = True

    @property
    def closed(self) -> bool:
        return self._closed

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def __repr__(self):
        return f"Archive({self.path!r})"

    # -- the session of one operation ------------------------------------

    class _Session:
        def __init__(self, archive):
            self.archive = archive

        def __enter__(self):
            if self.archive._closed:
                raise ValueError("operation on a closed archive")
            _lock.acquire()
            try:
                lib = load_library()
                # Another user of the library in this process may have turned raising back on.
                lib.IMGSetRaiseOnError(0)
                lib.IMGLoadImg(self.archive._raw_path)
                # An open never fails; a directory it could not read whole
                # leaves this message and makes every write fail with it.
                self.archive.problem = _decode(lib.IMGGetLastError()) or None
                return lib
            except BaseException:
                _lock.release()
                raise

        def __exit__(self, *exc):
            _lock.release()
            return False

    def _session(self):
        return Archive._Session(self)

    @staticmethod
    def _check(lib):
        message = lib.IMGGetLastError()
        if message:
            raise TolvaneError(_decode(message))

    @staticmethod
    def _record(lib, index) -> _Record:
        record = _Record()
        lib.IMGGetThisFile(ctypes.byref(record), index)
        return record

    # -- names -----------------------------------------------------------

    def _name_of(self, raw: bytes) -> str:
        return raw.decode(self.encoding, "surrogateescape")

    def _fold(self, raw: bytes) -> str:
        # As the archive compares names: letters without case, in its code page.
        return self._name_of(raw).upper()

    def _entry_name(self, name, cut: bool) -> bytes:
        """name as stored: in the archive's encoding, at most 23 bytes."""
        text = os.fsdecode(name) if isinstance(name, bytes) else name
        raw = text.encode(self.encoding, "surrogateescape")
        if not raw:
            raise ValueError("an entry needs a name")
        if len(raw) > _MAX_NAME_BYTES:
            if not cut:
                raise ValueError(f"name too long: {text!r} takes {len(raw)} bytes in {self.encoding}; "
                                 f"an entry holds {_MAX_NAME_BYTES} (cut=True keeps the first {_MAX_NAME_BYTES})")
            while len(raw) > _MAX_NAME_BYTES:  # whole characters only
                text = text[:-1]
                raw = text.encode(self.encoding, "surrogateescape")
        return raw

    def _entry(self, lib, index) -> Entry:
        record = self._record(lib, index)
        return Entry(index, self._name_of(record.name), record.offset, record.size)

    def _index(self, lib, which) -> int:
        """The index of which (an index, a name, or an Entry still at its place) in the open archive."""
        count = lib.IMGFileCount()
        if isinstance(which, Entry):
            raw = which.name.encode(self.encoding, "surrogateescape")
            if not 0 <= which.index < count or self._record(lib, which.index).name != raw[:24]:
                raise TolvaneError(f"Entry {which.name} is no longer at index {which.index}")
            return which.index
        if isinstance(which, int):
            if not 0 <= which < count:
                entries = "1 entry" if count == 1 else f"{count} entries"
                raise IndexError(f"entry index {which} out of range (the archive has {entries})")
            return which
        index = self._find(lib, which)
        if index is None:
            raise KeyError(which)
        return index

    def _find(self, lib, name) -> Optional[int]:
        wanted = self._fold(self._entry_name(name, cut=True))
        for index in range(lib.IMGFileCount()):
            if self._fold(self._record(lib, index).name) == wanted:
                return index
        return None

    # -- reading ---------------------------------------------------------

    problem: Optional[str] = None
    """The library's note on the last open ("Directory of ... was not read whole"), or None."""

    def __len__(self):
        with self._session() as lib:
            return lib.IMGFileCount()

    def entries(self):
        """Every entry, in directory order."""
        with self._session() as lib:
            return [self._entry(lib, i) for i in range(lib.IMGFileCount())]

    def __iter__(self):
        return iter(self.entries())

    def entry(self, which) -> Entry:
        """The entry given by index or name (names compare without case)."""
        with self._session() as lib:
            return self._entry(lib, self._index(lib, which))

    def __contains__(self, name):
        with self._session() as lib:
            return self._find(lib, name) is not None

    def read(self, which) -> bytes:
        """The entry's data: its size in sectors times 2048 bytes (zeros past the end of the .img)."""
        with self._session() as lib:
            index = self._index(lib, which)
            size = self._record(lib, index).size * SECTOR_SIZE
            buffer = ctypes.create_string_buffer(max(size, 1))
            lib.IMGExportBuffer(index, buffer)
            self._check(lib)
            return buffer.raw[:size]

    def extract(self, which, target) -> None:
        """Writes the entry's data to the file target (created or emptied)."""
        with self._session() as lib:
            index = self._index(lib, which)
            lib.IMGExportFile(index, _encode(target))
            self._check(lib)

    def fragmentation(self) -> int:
        """Percentage of the .img's sectors that no entry accounts for (negative when entries overlap)."""
        with self._session() as lib:
            return lib.IMGHowMuchFragmented()

    # -- changing --------------------------------------------------------

    @staticmethod
    def _require_source(source):
        # The library passes over a missing source in silence, and an add would
        # then leave an empty entry behind.
        if not os.path.isfile(source):
            raise FileNotFoundError(errno.ENOENT, "No such file", os.fspath(source))

    def replace(self, which, source, force_append: bool = False) -> Entry:
        """Puts the contents of the file source into the entry; returns the entry as stored."""
        self._require_source(source)
        with self._session() as lib:
            index = self._index(lib, which)
            lib.IMGReplaceFile(index, _encode(source), 1 if force_append else 0)
            self._check(lib)
            return self._entry(lib, index)

    def add(self, source, name=None, cut: bool = False) -> Entry:
        """Adds the file source as a new last entry named name (default: the file's name).
        A name longer than 23 bytes raises ValueError unless cut is true."""
        self._require_source(source)
        wanted = self._entry_name(name if name is not None else os.path.basename(os.fspath(source)), cut)
        with self._session() as lib:
            return self._add(lib, source, wanted)

    def _add(self, lib, source, wanted: bytes) -> Entry:
        lib.IMGAddFile(_encode(source))
        self._check(lib)
        index = lib.IMGFileCount() - 1
        record = self._record(lib, index)
        if record.name != wanted:
            # Another name than the library derives from the path: renamed,
            # and stored again.  A fresh record is all zeros, so no bytes of
            # the path linger after the terminator.
            record = _Record(record.offset, record.size, wanted)
            lib.IMGSetThisFile(index, ctypes.byref(record))
            lib.IMGReDoDir()
            self._check(lib)
        return self._entry(lib, index)

    def import_file(self, source, name=None, cut: bool = False) -> Entry:
        """Replaces the entry of the same name (compared without case), or adds one.
        A name longer than 23 bytes raises ValueError unless cut is true."""
        self._require_source(source)
        wanted = self._entry_name(name if name is not None else os.path.basename(os.fspath(source)), cut)
        with self._session() as lib:
            index = self._find(lib, self._name_of(wanted))
            if index is None:
                return self._add(lib, source, wanted)
            lib.IMGReplaceFile(index, _encode(source), 0)
            self._check(lib)
            return self._entry(lib, index)

    def delete(self, which) -> None:
        """Takes the entry out of the directory and stores it; its data stays in the .img, unused."""
        with self._session() as lib:
            lib.IMGDelete(self._index(lib, which))
            self._check(lib)
