// Writes tests/lha/data/jlha-lh1.lzh: -lh1- members made by jlha's own
// encoder (libjlha-java), an implementation independent of ours. The
// contents come from the generator that tests/lha/Lh1Test.cpp repeats, so
// the test knows every byte.
//
//   javac -cp /usr/share/java/jlha.jar MakeLh1Fixture.java
//   java -cp /usr/share/java/jlha.jar:. MakeLh1Fixture tests/lha/data/jlha-lh1.lzh

import jp.gr.java_conf.dangan.util.lha.CompressMethod;
import jp.gr.java_conf.dangan.util.lha.LhaHeader;
import jp.gr.java_conf.dangan.util.lha.LhaOutputStream;

import java.io.FileOutputStream;
import java.nio.charset.StandardCharsets;
import java.util.Date;

public class MakeLh1Fixture {
    private long state;

    MakeLh1Fixture(long seed) { state = seed; }

    int next() {
        state = (state * 1103515245L + 12345L) & 0x7fffffffL;
        return (int) (state >> 16);
    }

    // Words, numbers and line ends: matches of every length and distance.
    static byte[] words(int n, long seed) {
        String[] vocabulary = {"the", "archive", "member", "window", "dynamic", "huffman", "code", "tree",
                               "position", "length", "of", "and", "a", "to", "in", "data"};
        MakeLh1Fixture g = new MakeLh1Fixture(seed);
        StringBuilder sb = new StringBuilder();
        while (sb.length() < n) {
            int r = g.next();
            sb.append(vocabulary[r % vocabulary.length]);
            sb.append((r >> 4) % 7 == 0 ? ".\r\n" : " ");
            if ((r >> 8) % 5 == 0)
                sb.append(r % 1000);
        }
        return sb.substring(0, n).getBytes(StandardCharsets.US_ASCII);
    }

    // Letters drawn from 64: few matches, so many symbols for their size,
    // enough for the coder to halve its counts.
    static byte[] letters(int n, long seed) {
        MakeLh1Fixture g = new MakeLh1Fixture(seed);
        byte[] d = new byte[n];
        for (int i = 0; i < n; i++)
            d[i] = (byte) (33 + g.next() % 64);
        return d;
    }

    static byte[] spaces() {
        StringBuilder sb = new StringBuilder();
        for (int i = 0; i < 200; i++)
            sb.append(' ');
        for (int i = 0; i < 20; i++)
            sb.append("  text after the spaces ").append(i).append("\r\n");
        return sb.toString().getBytes(StandardCharsets.US_ASCII);
    }

    static void add(LhaOutputStream out, String name, int level, byte[] data) throws Exception {
        LhaHeader h = new LhaHeader(name);
        h.setCompressMethod(CompressMethod.LH1);
        h.setHeaderLevel(level);
        h.setLastModified(new Date(1700000000000L));
        out.putNextEntry(h);
        out.write(data);
        out.closeEntry();
    }

    public static void main(String[] args) throws Exception {
        LhaOutputStream out = new LhaOutputStream(new FileOutputStream(args[0]));
        add(out, "spaces.txt", 0, spaces());
        add(out, "words.txt", 1, words(20000, 1));
        add(out, "letters.txt", 2, letters(36000, 2));
        out.close();
    }
}
