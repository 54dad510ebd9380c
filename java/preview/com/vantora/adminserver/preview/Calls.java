package com.vantora.adminserver.preview;

import com.vantora.adminserver.helper.ws.IISConfigure;
import com.vantora.adminserver.helper.ws.IISConfigureCommand;
import java.io.IOException;
import java.io.InputStream;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;

/**
 * Method calls one a line, as the product jar's command line takes them ({@code CreateVirtualDirectory docs
 * C:\Inetpub\docs}): words apart by spaces, a word with spaces in double quotes, backslashes as they are,
 * {@code #} starting a comment line. Run in the process the simulated host is named to.
 */
final class Calls {
    private Calls() {
    }

    /** The demo's own sequence. */
    static List<List<String>> demo() throws BadInput {
        try (InputStream in = Calls.class.getResourceAsStream("demo-calls.txt")) {
            return parse(new String(in.readAllBytes(), StandardCharsets.UTF_8), "demo-calls.txt");
        } catch (IOException e) {
            throw new IllegalStateException(e);
        }
    }

    static List<List<String>> read(Path file) throws BadInput {
        return parse(Input.utf8(Input.bytes(file), file.toString()), file.toString());
    }

    /** Every call checked against the methods before any runs. */
    static List<List<String>> parse(String text, String file) throws BadInput {
        List<List<String>> calls = new ArrayList<>();
        String[] lines = text.split("\r\n|\r|\n", -1);
        for (int n = 0; n < lines.length; n++) {
            String line = lines[n].strip();
            if (line.isEmpty() || line.startsWith("#")) {
                continue;
            }
            List<String> words = words(line);
            String problem = words == null ? "a quoted word has no closing quote"
                    : words.stream().anyMatch(w -> w.indexOf('%') >= 0 || w.indexOf('"') >= 0)
                    ? "a word holds % or \", which the command prompt on the server would read otherwise"
                    : IISConfigureCommand.problem(words.toArray(String[]::new));
            if (problem != null) {
                throw new BadInput(file, n + 1, problem);
            }
            calls.add(words);
        }
        if (calls.isEmpty()) {
            throw new BadInput(file, 0, "no calls");
        }
        return calls;
    }

    static List<String> words(String line) {
        List<String> words = new ArrayList<>();
        int i = 0;
        while (i < line.length()) {
            if (Character.isWhitespace(line.charAt(i))) {
                i++;
            } else if (line.charAt(i) == '"') {
                int end = line.indexOf('"', i + 1);
                if (end < 0) {
                    return null;
                }
                words.add(line.substring(i + 1, end));
                i = end + 1;
            } else {
                int end = i;
                while (end < line.length() && !Character.isWhitespace(line.charAt(end))) {
                    end++;
                }
                words.add(line.substring(i, end));
                i = end;
            }
        }
        return words;
    }

    /** The call as a line of a calls file again, quoting the words that need it. */
    static String line(List<String> call) {
        return String.join(" ", call.stream().map(w -> quoted(w) ? "\"" + w + "\"" : w).toList());
    }

    /**
     * A line of a calls file as the Windows command prompt must be given it: a word that needs quotes has
     * them, and the backslashes before its closing quote doubled, or the last would escape the quote.
     */
    static String commandLine(String line) {
        return String.join(" ", words(line).stream().map(w -> quoted(w) ? "\"" + w.replaceAll("(\\\\+)$", "$1$1") + "\"" : w).toList());
    }

    /** Words with spaces, and those the command prompt would take as the end of the command or a redirection. */
    private static boolean quoted(String word) {
        return word.isEmpty() || word.matches("(?s).*[\\s&|<>^].*");
    }

    /**
     * Runs the calls of a file, already checked, each line with what the method answered. The library is
     * loaded while the parent writes the image, which a line on standard input says is there.
     */
    public static void main(String[] args) throws BadInput, IOException {
        PrintStream out = new PrintStream(System.out, true, StandardCharsets.UTF_8);
        List<List<String>> calls = read(Path.of(args[0]));
        IISConfigure.isAvailable();
        if (System.in.read() != '\n') {
            System.exit(1);  // the parent gave up
        }
        for (List<String> call : calls) {
            java.io.ByteArrayOutputStream answer = new java.io.ByteArrayOutputStream();
            int status = IISConfigureCommand.run(call.toArray(String[]::new), new PrintStream(answer, true, StandardCharsets.UTF_8), System.err);
            if (status > 1) {
                System.exit(status);
            }
            out.printf("  %-70s -> %s%n", line(call), answer.toString(StandardCharsets.UTF_8).strip());
        }
    }

    static Path write(List<List<String>> calls, Path file) throws IOException {
        return Files.writeString(file, String.join("\n", calls.stream().map(Calls::line).toList()) + "\n");
    }
}
