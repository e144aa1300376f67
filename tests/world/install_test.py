"""The tiles go into a build's Wine prefix where the program's fixed cache
lies: C:\\Temp\\OsmFixed\\<first-start host>\\watercolor\\z\\x\\y.jpg, as
copies; a second run leaves them alone, a damaged copy is made whole."""
import filecmp
import os

import worldtest
import cachepath


def main():
    build = worldtest.work_dir("fake-build")
    world = worldtest.world("--prefix", build)
    with open(os.path.join(worldtest.SOURCE, "game", "tileserver_defaults.h"), encoding="utf-8") as f:
        host = cachepath.host_folder(cachepath.first_start_host(f.read()))
    fixed = os.path.join(build, "wine/prefix/drive_c/Temp/OsmFixed", host, "watercolor")
    tiles = os.path.join(world, "tiles")
    cmp = filecmp.dircmp(tiles, fixed)

    def same(c):
        return not c.left_only and not c.diff_files and not c.funny_files and all(same(s) for s in c.subdirs.values())
    assert same(cmp) and cmp.right_only == [".orv-world"], (cmp.left_only, cmp.right_only)
    munich = os.path.join(fixed, "6", "34", "22.jpg")
    assert not os.path.islink(munich) and os.stat(munich).st_ino != os.stat(os.path.join(tiles, "6/34/22.jpg")).st_ino

    before = os.stat(munich).st_mtime_ns
    worldtest.world("--prefix", build)
    assert os.stat(munich).st_mtime_ns == before, "copied again"

    os.remove(os.path.join(fixed, ".orv-world"))  # as after a copy that broke off
    with open(munich, "wb") as f:
        f.write(b"cut")
    worldtest.world("--prefix", build)
    assert filecmp.cmp(munich, os.path.join(tiles, "6/34/22.jpg"), shallow=False)
    worldtest.work_dir("fake-build")
    print("install: %s/watercolor in the prefix" % host)


if __name__ == "__main__":
    main()
